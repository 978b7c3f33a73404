#include "tools/xlhost/Host.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace xlhost {

namespace {

std::atomic<Host*> g_active{nullptr};

std::u16string TextOf(const HostOperand& op)
{
    if (op.type != HOST_TYPE_STRING || !op.value.text)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(op.value.text + 1), op.value.text[0]);
}

bool IsText(const HostOperand* op)
{
    return op && op->type == HOST_TYPE_STRING && op->value.text;
}

std::optional<int64_t> IntegerOf(const HostOperand* op)
{
    if (!op)
        return std::nullopt;
    switch (op->type) {
    case HOST_TYPE_INTEGER: return op->value.integer;
    case HOST_TYPE_BOOLEAN: return op->value.boolean ? 1 : 0;
    case HOST_TYPE_NUMBER:
        if (std::isfinite(op->value.number) && std::abs(op->value.number) < 2.1e9)
            return std::llround(op->value.number);
        return std::nullopt;
    default: return std::nullopt;
    }
}

void SetBoolean(HostOperand& r, bool value)
{
    r = HostOperand{};
    r.type = HOST_TYPE_BOOLEAN;
    r.value.boolean = value ? 1 : 0;
}

void SetError(HostOperand& r, int32_t code)
{
    r = HostOperand{};
    r.type = HOST_TYPE_ERROR;
    r.value.error = code;
}

void SetNumber(HostOperand& r, double value)
{
    r = HostOperand{};
    r.type = HOST_TYPE_NUMBER;
    r.value.number = value;
}

void SetInteger(HostOperand& r, int32_t value)
{
    r = HostOperand{};
    r.type = HOST_TYPE_INTEGER;
    r.value.integer = value;
}

bool ValidArea(const HostReference& a)
{
    return a.rowFirst >= 0 && a.rowFirst <= a.rowLast && a.rowLast < HOST_MAX_ROWS && a.columnFirst >= 0 &&
           a.columnFirst <= a.columnLast && a.columnLast < HOST_MAX_COLUMNS;
}

}  // namespace

Host* ActiveHost()
{
    return g_active.load(std::memory_order_acquire);
}

Host::Host() : thread_(std::this_thread::get_id())
{
    g_active.store(this, std::memory_order_release);
}

Host::~Host()
{
    UnloadAddIn();
    Host* self = this;
    g_active.compare_exchange_strong(self, nullptr);
}

std::u16string Host::Lower(const std::u16string& text)
{
    std::u16string out = text;
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
    return out;
}

bool Host::LoadAddIn(const std::string& path, std::string& error)
{
    UnloadAddIn();
    addIn_ = AddInLibrary::Open(path, error);
    return addIn_ != nullptr;
}

void Host::UnloadAddIn()
{
    addIn_.reset();
}

uint64_t Host::CallCount(int function) const
{
    const auto it = calls_.find(function);
    return it == calls_.end() ? 0 : it->second;
}

void Host::ClearRecords()
{
    registrationLog_.clear();
    alerts_.clear();
    statusLog_.clear();
    dialogs_.clear();
    calls_.clear();
}

int Host::Dispatch(int function, int count, HostOperand** operands, HostOperand* result)
{
    if (std::this_thread::get_id() != thread_) {
        ++foreignThreadCalls_;
        return HOST_RESULT_FAILED;
    }
    if (count < 0 || count > HOST_MAX_OPERANDS || (count > 0 && !operands))
        return HOST_RESULT_BAD_COUNT;
    ++calls_[function];
    Args a(operands, operands + count);
    HostOperand ignored{};
    HostOperand& r = result ? *result : ignored;
    r = HostOperand{};
    r.type = HOST_TYPE_MISSING;
    switch (function) {
    case xlfRegister: return Register(a, r);
    case xlfRegisterId: return RegisterId(a, r);
    case xlfUnregister: return Unregister(a, r);
    case xlfSetName: return SetName(a, r);
    case xlfGetBar: return GetBar(a, r);
    case xlfDeleteMenu: return DeleteMenu(a, r);
    case xlfGetToolbar: return GetToolbar(a, r);
    case xlfDeleteToolbar: return DeleteToolbar(a, r);
    case xlfDialogBox: return DialogBox(a, r);
    case xlcAlert: return Alert(a, r);
    case xlcSelect: return Select(a, r);
    case xlcMessage: return Message(a, r);
    case xlFree: return Free(a, r);
    case xlStack: SetInteger(r, freeStack_); return HOST_RESULT_OK;
    case xlCoerce: return Coerce(a, r);
    case xlSet: return Set(a, r);
    case xlAbort: return Abort(a, r);
    case xlGetHwnd: SetInteger(r, mainWindow_); return HOST_RESULT_OK;
    case xlGetName:
        if (!addIn_)
            return HOST_RESULT_FAILED;
        r.type = HOST_TYPE_STRING;
        r.value.text = ledger_.NewText(platform::Utf8ToUtf16(addIn_->Path()));
        return HOST_RESULT_OK;
    case xlEnableXLMsgs:
    case xlDisableXLMsgs:
        messagesEnabled_ = function == xlEnableXLMsgs;
        SetBoolean(r, true);
        return HOST_RESULT_OK;
    default:
        return HOST_RESULT_BAD_FUNCTION;
    }
}

int Host::Register(const Args& a, HostOperand& r)
{
    // Path, procedure, type text and function text at least; every text a string or missing.
    if (a.size() < 4 || !IsText(a[0]) || !IsText(a[1]) || !IsText(a[2])) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    Registration reg;
    reg.path = TextOf(*a[0]);
    reg.operandCount = int(a.size());
    for (size_t i = 1; i < a.size(); ++i)
        reg.texts.push_back(a[i] ? TextOf(*a[i]) : std::u16string());
    registrationLog_.push_back(reg);
    // A procedure the library does not export cannot be registered.
    const std::string procedure = platform::Utf16ToUtf8(reg.Procedure());
    if (!addIn_ || platform::Utf16ToUtf8(reg.path) != addIn_->Path() || !addIn_->Symbol(procedure.c_str())) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    const std::u16string key = Lower(reg.Procedure());
    const auto same = std::find_if(registered_.begin(), registered_.end(),
                                   [&](const Registration& x) { return Lower(x.Procedure()) == key; });
    if (same != registered_.end()) {
        reg.id = same->id;
        *same = reg;
    } else {
        reg.id = nextId_++;
        registered_.push_back(reg);
    }
    if (!reg.FunctionText().empty())
        names_[Lower(reg.FunctionText())] = reg.Procedure();
    SetNumber(r, reg.id);
    return HOST_RESULT_OK;
}

int Host::RegisterId(const Args& a, HostOperand& r)
{
    if (a.size() < 2 || !IsText(a[1])) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    const std::u16string key = Lower(TextOf(*a[1]));
    const auto it = std::find_if(registered_.begin(), registered_.end(),
                                 [&](const Registration& x) { return Lower(x.Procedure()) == key; });
    if (it == registered_.end())
        SetError(r, HOST_ERROR_VALUE);
    else
        SetNumber(r, it->id);
    return HOST_RESULT_OK;
}

int Host::Unregister(const Args& a, HostOperand& r)
{
    const int64_t id = a.empty() ? 0 : IntegerOf(a[0]).value_or(0);
    const auto it = std::find_if(registered_.begin(), registered_.end(),
                                 [&](const Registration& x) { return x.id == id; });
    if (it == registered_.end()) {
        SetBoolean(r, false);
        return HOST_RESULT_OK;
    }
    registered_.erase(it);
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::SetName(const Args& a, HostOperand& r)
{
    if (a.empty() || !IsText(a[0])) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    const std::u16string key = Lower(TextOf(*a[0]));
    if (a.size() == 1 || !a[1] || a[1]->type == HOST_TYPE_MISSING) {
        SetBoolean(r, names_.erase(key) > 0);
        return HOST_RESULT_OK;
    }
    std::u16string refersTo;
    if (a[1]->type == HOST_TYPE_ARRAY) {
        const HostArray& array = a[1]->value.array;
        for (int32_t i = 0; i < array.rows * array.columns; ++i)
            refersTo += (i ? u"," : u"") + TextOf(array.items[i]);
    } else {
        refersTo = TextOf(*a[1]);
    }
    names_[key] = refersTo;
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::GetBar(const Args& a, HostOperand& r)
{
    const std::optional<int64_t> bar = a.size() >= 2 ? IntegerOf(a[0]) : std::nullopt;
    if (!bar || !IsText(a[1]) || !HasMenu(int32_t(*bar), TextOf(*a[1]))) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    SetNumber(r, 1.0);
    return HOST_RESULT_OK;
}

int Host::DeleteMenu(const Args& a, HostOperand& r)
{
    const std::optional<int64_t> bar = a.size() >= 2 ? IntegerOf(a[0]) : std::nullopt;
    if (!bar || !IsText(a[1]) || menus_.erase({int32_t(*bar), Lower(TextOf(*a[1]))}) == 0) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::GetToolbar(const Args& a, HostOperand& r)
{
    if (a.size() < 2 || !IsText(a[1]) || !HasToolbar(TextOf(*a[1]))) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    // The toolbar's name and that it is shown, in host memory.
    HostOperand* items = ledger_.NewArray(1, 2);
    ledger_.SetItemText(items, items[0], TextOf(*a[1]));
    SetBoolean(items[1], true);
    r = HostOperand{};
    r.type = HOST_TYPE_ARRAY;
    r.value.array = {items, 1, 2};
    return HOST_RESULT_OK;
}

int Host::DeleteToolbar(const Args& a, HostOperand& r)
{
    if (a.empty() || !IsText(a[0]) || toolbars_.erase(Lower(TextOf(*a[0]))) == 0) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::DialogBox(const Args& a, HostOperand& r)
{
    if (a.empty() || !a[0] || a[0]->type != HOST_TYPE_ARRAY) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    const HostArray& table = a[0]->value.array;
    dialogs_.push_back({table.rows, table.columns});
    const bool ok = dialogAnswers_.empty() ? true : dialogAnswers_.front();
    if (!dialogAnswers_.empty())
        dialogAnswers_.pop_front();
    if (!ok) {
        SetBoolean(r, false);
        return HOST_RESULT_OK;
    }
    // OK leaves every item as it was given: the table comes back in host memory.
    HostOperand* items = ledger_.NewArray(table.rows, table.columns);
    for (int32_t i = 0; i < table.rows * table.columns; ++i) {
        const HostOperand& item = table.items[i];
        if (item.type == HOST_TYPE_STRING)
            ledger_.SetItemText(items, items[i], TextOf(item));
        else if (item.type != HOST_TYPE_ARRAY)
            items[i] = item;
    }
    r = HostOperand{};
    r.type = HOST_TYPE_ARRAY;
    r.value.array = {items, table.rows, table.columns};
    return HOST_RESULT_OK;
}

int Host::Alert(const Args& a, HostOperand& r)
{
    if (a.empty() || !IsText(a[0])) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    AlertRecord record{TextOf(*a[0]), 2};
    if (a.size() > 1) {
        if (const std::optional<int64_t> type = IntegerOf(a[1]))
            record.type = int(*type);
    }
    alerts_.push_back(record);
    if (alertSink_)
        alertSink_(record);
    bool answer = true;
    if (record.type == 1 && !alertAnswers_.empty()) {
        answer = alertAnswers_.front();
        alertAnswers_.pop_front();
    }
    SetBoolean(r, answer);
    return HOST_RESULT_OK;
}

int Host::Select(const Args& a, HostOperand& r)
{
    if (a.empty() || !a[0] || a[0]->type != HOST_TYPE_REFERENCE || !ValidArea(a[0]->value.reference)) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    selection_ = a[0]->value.reference;
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::Message(const Args& a, HostOperand& r)
{
    const std::optional<int64_t> show = a.empty() ? std::nullopt : IntegerOf(a[0]);
    if (!show) {
        SetError(r, HOST_ERROR_VALUE);
        return HOST_RESULT_OK;
    }
    status_ = *show && a.size() > 1 && IsText(a[1]) ? TextOf(*a[1]) : std::u16string();
    statusLog_.push_back(status_);
    if (statusSink_)
        statusSink_(status_);
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::Free(const Args& a, HostOperand& /*r*/)
{
    for (const HostOperand* op : a) {
        if (op)
            ledger_.Release(const_cast<HostOperand&>(*op));
    }
    return HOST_RESULT_OK;
}

bool Host::ValueOf(const HostOperand& op, HostOperand& value) const
{
    if (op.type != HOST_TYPE_REFERENCE) {
        value = op;
        return op.type != HOST_TYPE_MISSING && op.type != HOST_TYPE_EMPTY;
    }
    const CellValue* cell = sheet_.Get(op.value.reference.rowFirst, op.value.reference.columnFirst);
    if (!cell)
        return false;
    value = HostOperand{};
    switch (cell->kind) {
    case CellValue::Kind::Number: SetNumber(value, cell->number); break;
    case CellValue::Kind::Boolean: SetBoolean(value, cell->boolean); break;
    case CellValue::Kind::Error: SetError(value, cell->error); break;
    case CellValue::Kind::Text: value.type = HOST_TYPE_STRING; value.value.text = nullptr; break;
    }
    return true;
}

int Host::Coerce(const Args& a, HostOperand& r)
{
    if (a.empty() || !a[0])
        return HOST_RESULT_BAD_OPERAND;
    const HostOperand& source = *a[0];
    const std::optional<int64_t> wanted = a.size() > 1 ? IntegerOf(a[1]) : std::nullopt;
    // The source's value: a reference reads its top-left cell; an empty cell is 0 or "".
    std::u16string text;
    HostOperand value{};
    const bool present = ValueOf(source, value);
    if (source.type == HOST_TYPE_REFERENCE && value.type == HOST_TYPE_STRING)
        text = sheet_.TextAt(source.value.reference.rowFirst, source.value.reference.columnFirst);
    else if (value.type == HOST_TYPE_STRING)
        text = TextOf(value);
    if (!wanted) {
        if (!present)
            return HOST_RESULT_BAD_OPERAND;
        if (value.type == HOST_TYPE_STRING) {
            r.type = HOST_TYPE_STRING;
            r.value.text = ledger_.NewText(text);
        } else {
            r = value;
        }
        return HOST_RESULT_OK;
    }
    double number = 0.0;
    bool numeric = !present;
    if (present) {
        switch (value.type) {
        case HOST_TYPE_NUMBER: number = value.value.number; numeric = true; break;
        case HOST_TYPE_INTEGER: number = value.value.integer; numeric = true; break;
        case HOST_TYPE_BOOLEAN: number = value.value.boolean ? 1.0 : 0.0; numeric = true; break;
        case HOST_TYPE_STRING: numeric = platform::ParseDouble(platform::Utf16ToUtf8(text), number); break;
        default: break;
        }
    }
    switch (*wanted) {
    case HOST_TYPE_INTEGER:
        if (!numeric || !std::isfinite(number) || std::abs(number) > 2147483647.0)
            return HOST_RESULT_BAD_OPERAND;
        SetInteger(r, int32_t(std::llround(number)));
        return HOST_RESULT_OK;
    case HOST_TYPE_NUMBER:
        if (!numeric)
            return HOST_RESULT_BAD_OPERAND;
        SetNumber(r, number);
        return HOST_RESULT_OK;
    case HOST_TYPE_BOOLEAN:
        if (!numeric)
            return HOST_RESULT_BAD_OPERAND;
        SetBoolean(r, number != 0.0);
        return HOST_RESULT_OK;
    case HOST_TYPE_STRING: {
        std::u16string shown = text;
        if (value.type == HOST_TYPE_BOOLEAN)
            shown = value.value.boolean ? u"TRUE" : u"FALSE";
        else if (numeric && present)
            shown = platform::Utf8ToUtf16(platform::FormatGeneral(number));
        else if (value.type == HOST_TYPE_ERROR)
            return HOST_RESULT_BAD_OPERAND;
        r.type = HOST_TYPE_STRING;
        r.value.text = ledger_.NewText(shown);
        return HOST_RESULT_OK;
    }
    default:
        return HOST_RESULT_BAD_OPERAND;
    }
}

void Host::SetCellFrom(int32_t row, int32_t column, const HostOperand& value)
{
    switch (value.type) {
    case HOST_TYPE_NUMBER: sheet_.Set(row, column, CellValue::Number(value.value.number)); break;
    case HOST_TYPE_INTEGER: sheet_.Set(row, column, CellValue::Number(value.value.integer)); break;
    case HOST_TYPE_BOOLEAN: sheet_.Set(row, column, CellValue::Boolean(value.value.boolean != 0)); break;
    case HOST_TYPE_ERROR: sheet_.Set(row, column, CellValue::Error(value.value.error)); break;
    case HOST_TYPE_STRING: sheet_.Set(row, column, CellValue::Text(TextOf(value))); break;
    default: sheet_.Clear(row, column); break;
    }
}

int Host::Set(const Args& a, HostOperand& r)
{
    if (a.empty() || !a[0] || a[0]->type != HOST_TYPE_REFERENCE || !ValidArea(a[0]->value.reference))
        return HOST_RESULT_BAD_OPERAND;
    const HostReference area = a[0]->value.reference;
    HostOperand missing{};
    missing.type = HOST_TYPE_MISSING;
    const HostOperand& value = a.size() > 1 && a[1] ? *a[1] : missing;
    if (value.type == HOST_TYPE_ARRAY && !value.value.array.items &&
        int64_t(value.value.array.rows) * value.value.array.columns > 0)
        return HOST_RESULT_BAD_OPERAND;
    for (int32_t row = area.rowFirst; row <= area.rowLast; ++row) {
        for (int32_t column = area.columnFirst; column <= area.columnLast; ++column) {
            if (value.type != HOST_TYPE_ARRAY) {
                SetCellFrom(row, column, value);
                continue;
            }
            // An array fills the area from its top-left corner; cells it does not reach show #N/A.
            const HostArray& array = value.value.array;
            const int32_t i = row - area.rowFirst, k = column - area.columnFirst;
            if (i < array.rows && k < array.columns)
                SetCellFrom(row, column, array.items[int64_t(i) * array.columns + k]);
            else
                sheet_.Set(row, column, CellValue::Error(HOST_ERROR_NA));
        }
    }
    SetBoolean(r, true);
    return HOST_RESULT_OK;
}

int Host::Abort(const Args& a, HostOperand& r)
{
    // The break stays pending until the add-in clears it with FALSE.
    const bool pending = breakPending_;
    if (!a.empty() && a[0] && a[0]->type == HOST_TYPE_BOOLEAN && a[0]->value.boolean == 0)
        breakPending_ = false;
    SetBoolean(r, pending);
    return HOST_RESULT_OK;
}

}  // namespace xlhost
