#include "addin/host/HostCall.h"

#include "platform/Text.h"

#include <dlfcn.h>

#include <algorithm>

namespace addin::host {

HostCallback Callback()
{
    // Looked up once: the host program does not change while the library is loaded.
    static const HostCallback callback = [] {
        void* self = dlopen(nullptr, RTLD_LAZY);
        if (!self)
            return HostCallback(nullptr);
        auto found = reinterpret_cast<HostCallback>(dlsym(self, HOST_CALLBACK_NAME));
        dlclose(self);
        return found;
    }();
    return callback;
}

HostOperand* Operands::Add(uint32_t type)
{
    HostOperand& op = operands_.emplace_back();
    op = HostOperand{};
    op.type = type;
    return &op;
}

HostOperand* Operands::Number(double value)
{
    HostOperand* op = Add(HOST_TYPE_NUMBER);
    op->value.number = value;
    return op;
}

HostOperand* Operands::Integer(int32_t value)
{
    HostOperand* op = Add(HOST_TYPE_INTEGER);
    op->value.integer = value;
    return op;
}

HostOperand* Operands::Boolean(bool value)
{
    HostOperand* op = Add(HOST_TYPE_BOOLEAN);
    op->value.boolean = value ? 1 : 0;
    return op;
}

HostOperand* Operands::Error(int32_t code)
{
    HostOperand* op = Add(HOST_TYPE_ERROR);
    op->value.error = code;
    return op;
}

HostOperand* Operands::Missing()
{
    return Add(HOST_TYPE_MISSING);
}

HostOperand* Operands::Empty()
{
    return Add(HOST_TYPE_EMPTY);
}

void Operands::SetText(HostOperand& operand, std::u16string_view text)
{
    size_t length = std::min<size_t>(text.size(), HOST_MAX_STRING);
    if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    std::vector<uint16_t>& counted = texts_.emplace_back(length + 1);
    counted[0] = uint16_t(length);
    std::copy_n(text.begin(), length, counted.begin() + 1);
    operand = HostOperand{};
    operand.type = HOST_TYPE_STRING;
    operand.value.text = counted.data();
}

HostOperand* Operands::Text(std::u16string_view text)
{
    HostOperand* op = Add(HOST_TYPE_STRING);
    SetText(*op, text);
    return op;
}

HostOperand* Operands::Text(std::string_view utf8)
{
    return Text(platform::Utf8ToUtf16(utf8));
}

HostOperand* Operands::Reference(int32_t rowFirst, int32_t rowLast, int32_t columnFirst, int32_t columnLast)
{
    HostOperand* op = Add(HOST_TYPE_REFERENCE);
    op->value.reference = {rowFirst, rowLast, columnFirst, columnLast};
    return op;
}

HostOperand* Operands::Array(int32_t rows, int32_t columns)
{
    HostOperand* op = Add(HOST_TYPE_ARRAY);
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    HostOperand missing{};
    missing.type = HOST_TYPE_MISSING;
    std::vector<HostOperand>& items = arrays_.emplace_back(size_t(rows) * size_t(columns), missing);
    op->value.array = {items.data(), rows, columns};
    return op;
}

int Call(int function, HostOperand* result, const std::vector<HostOperand*>& arguments)
{
    HostOperand ignored{};
    HostOperand* answer = result ? result : &ignored;
    *answer = HostOperand{};
    answer->type = HOST_TYPE_MISSING;
    const HostCallback callback = Callback();
    if (!callback || arguments.size() > HOST_MAX_OPERANDS)
        return HOST_RESULT_FAILED;
    std::vector<HostOperand*> list(arguments);
    const int rc = callback(function, int(list.size()), list.data(), answer);
    // An answer nobody keeps still has to go back if it carries host memory.
    if (!result && rc == HOST_RESULT_OK)
        Free(ignored);
    return rc;
}

int Call(int function, HostOperand* result, std::initializer_list<HostOperand*> arguments)
{
    return Call(function, result, std::vector<HostOperand*>(arguments));
}

void Free(HostOperand& result)
{
    if (result.type == HOST_TYPE_STRING || result.type == HOST_TYPE_ARRAY) {
        const HostCallback callback = Callback();
        if (callback) {
            HostOperand* list[] = {&result};
            HostOperand none{};
            callback(xlFree, 1, list, &none);
        }
    }
    result = HostOperand{};
    result.type = HOST_TYPE_MISSING;
}

std::u16string TextOf(const HostOperand& operand)
{
    if (operand.type != HOST_TYPE_STRING || !operand.value.text)
        return {};
    const uint16_t* text = operand.value.text;
    return std::u16string(reinterpret_cast<const char16_t*>(text + 1), text[0]);
}

bool IsError(const HostOperand& operand)
{
    return operand.type == HOST_TYPE_ERROR;
}

int SetCell(int32_t row, int32_t column, double number)
{
    Operands ops;
    return Call(xlSet, nullptr, {ops.Cell(row, column), ops.Number(number)});
}

int SetCellInteger(int32_t row, int32_t column, int32_t number)
{
    Operands ops;
    return Call(xlSet, nullptr, {ops.Cell(row, column), ops.Integer(number)});
}

int SetCellText(int32_t row, int32_t column, std::u16string_view text)
{
    Operands ops;
    return Call(xlSet, nullptr, {ops.Cell(row, column), ops.Text(text)});
}

int ClearCells(int32_t rowFirst, int32_t rowLast, int32_t columnFirst, int32_t columnLast)
{
    Operands ops;
    return Call(xlSet, nullptr, {ops.Reference(rowFirst, rowLast, columnFirst, columnLast), ops.Missing()});
}

bool Alert(std::u16string_view text, int type)
{
    Operands ops;
    HostOperand answer{};
    const int rc = Call(xlcAlert, &answer, {ops.Text(text), ops.Integer(type)});
    const bool ok = rc == HOST_RESULT_OK && answer.type == HOST_TYPE_BOOLEAN && answer.value.boolean != 0;
    Free(answer);
    return ok;
}

int ShowStatus(std::u16string_view text)
{
    Operands ops;
    return Call(xlcMessage, nullptr, {ops.Boolean(true), ops.Text(text)});
}

int ClearStatus()
{
    Operands ops;
    return Call(xlcMessage, nullptr, {ops.Boolean(false)});
}

}  // namespace addin::host
