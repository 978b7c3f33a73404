#include "tools/xlhost/Script.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <iconv.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace xlhost {

namespace {

// Arguments of one call and the memory they point to.
struct Arguments {
    std::deque<HostOperand> operands;
    std::deque<std::vector<uint16_t>> texts;

    HostOperand* Add(const HostOperand& op)
    {
        operands.push_back(op);
        return &operands.back();
    }
};

bool IsQuoted(const std::string& word)
{
    return word.size() >= 2 && word.front() == '"' && word.back() == '"';
}

bool ParseArea(const std::string& word, HostReference& area)
{
    const size_t colon = word.find(':');
    CellAddress a, b;
    if (colon == std::string::npos) {
        if (!Sheet::ParseAddress(word, a))
            return false;
        b = a;
    } else if (!Sheet::ParseAddress(word.substr(0, colon), a) || !Sheet::ParseAddress(word.substr(colon + 1), b)) {
        return false;
    }
    area = {std::min(a.row, b.row), std::max(a.row, b.row), std::min(a.column, b.column), std::max(a.column, b.column)};
    return true;
}

// One argument word as an operand; false when it is none of the forms.
bool ParseOperand(const std::string& word, Arguments& args, HostOperand& op)
{
    op = HostOperand{};
    int64_t whole = 0;
    double real = 0.0;
    HostReference area{};
    if (IsQuoted(word)) {
        args.texts.push_back(CountedText(platform::Utf8ToUtf16(word.substr(1, word.size() - 2))));
        op.type = HOST_TYPE_STRING;
        op.value.text = args.texts.back().data();
    } else if (word == "TRUE" || word == "FALSE") {
        op.type = HOST_TYPE_BOOLEAN;
        op.value.boolean = word == "TRUE";
    } else if (word == "missing") {
        op.type = HOST_TYPE_MISSING;
    } else if (platform::ParseInt(word, whole) && whole >= INT32_MIN && whole <= INT32_MAX) {
        op.type = HOST_TYPE_NUMBER;
        op.value.number = double(whole);
    } else if (platform::ParseDouble(word, real)) {
        op.type = HOST_TYPE_NUMBER;
        op.value.number = real;
    } else if (ParseArea(word, area)) {
        op.type = HOST_TYPE_REFERENCE;
        op.value.reference = area;
    } else {
        return false;
    }
    return true;
}

std::string Describe(const HostOperand* op)
{
    if (!op)
        return "(null)";
    switch (op->type) {
    case HOST_TYPE_NUMBER: return platform::FormatGeneral(op->value.number);
    case HOST_TYPE_INTEGER: return platform::FormatInt(op->value.integer);
    case HOST_TYPE_BOOLEAN: return op->value.boolean ? "TRUE" : "FALSE";
    case HOST_TYPE_ERROR: return "#" + platform::FormatInt(op->value.error);
    case HOST_TYPE_STRING:
        return op->value.text ? "\"" +
                                    platform::Utf16ToUtf8(std::u16string(
                                        reinterpret_cast<const char16_t*>(op->value.text + 1), op->value.text[0])) +
                                    "\""
                              : "\"\"";
    case HOST_TYPE_MISSING: return "missing";
    default: return "type " + platform::FormatInt(op->type);
    }
}

}  // namespace

std::string FromCodePage(const char* text)
{
    std::string in(text);
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1))
        return in;
    std::string out(in.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            word += c;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else if (!quoted && c == '#') {
            break;
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

ScriptRunner::ScriptRunner(Host& host, std::ostream& out, std::ostream& err)
    : host_(host), out_(out), err_(err),
      waiter_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); })
{
}

bool ScriptRunner::Fail(int number, const std::string& message)
{
    err_ << "line " << number << ": " << message << "\n";
    return false;
}

bool ScriptRunner::RunFile(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        err_ << "cannot read " << path << "\n";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return RunText(text.str());
}

bool ScriptRunner::RunText(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!RunLine(line, number))
            return false;
    }
    return true;
}

bool ScriptRunner::EnsureAddIn(int number)
{
    if (host_.AddIn())
        return true;
    if (defaultAddIn_.empty())
        return Fail(number, "no add-in loaded");
    std::string error;
    if (!host_.LoadAddIn(defaultAddIn_, error))
        return Fail(number, error);
    return true;
}

bool ScriptRunner::RunLine(const std::string& line, int number)
{
    const std::vector<std::string> w = SplitWords(line);
    if (w.empty())
        return true;
    const std::string& command = w[0];
    const auto text = [&](size_t i) {
        return platform::Utf8ToUtf16(IsQuoted(w[i]) ? w[i].substr(1, w[i].size() - 2) : w[i]);
    };
    int64_t n = 0, ms = 0;
    if (command == "load" && w.size() == 2) {
        std::string error;
        return host_.LoadAddIn(w[1], error) || Fail(number, error);
    }
    if (command == "unload") {
        host_.UnloadAddIn();
        open_ = false;
        return true;
    }
    if (command == "call" && w.size() >= 2)
        return Call(w, 1, number);
    if (command == "repeat" && w.size() >= 4 && platform::ParseInt(w[1], n) && platform::ParseInt(w[2], ms)) {
        for (int64_t i = 0; i < n; ++i) {
            if (!Call(w, 3, number))
                return false;
            waiter_(int(ms));
        }
        return true;
    }
    if (command == "cell" && w.size() == 3) {
        CellAddress at;
        Arguments args;
        HostOperand op{};
        if (!Sheet::ParseAddress(w[1], at) || !ParseOperand(w[2], args, op) || op.type == HOST_TYPE_REFERENCE)
            return Fail(number, "cell RnCm VALUE");
        if (op.type == HOST_TYPE_STRING)
            host_.Cells().Set(at.row, at.column, CellValue::Text(text(2)));
        else if (op.type == HOST_TYPE_BOOLEAN)
            host_.Cells().Set(at.row, at.column, CellValue::Boolean(op.value.boolean != 0));
        else if (op.type == HOST_TYPE_NUMBER)
            host_.Cells().Set(at.row, at.column, CellValue::Number(op.value.number));
        else
            host_.Cells().Clear(at.row, at.column);
        return true;
    }
    if (command == "menu" && w.size() == 3 && platform::ParseInt(w[1], n)) {
        host_.AddMenu(int32_t(n), text(2));
        return true;
    }
    if (command == "toolbar" && w.size() == 2) {
        host_.AddToolbar(text(1));
        return true;
    }
    if (command == "answer" && w.size() == 2 && (w[1] == "yes" || w[1] == "no")) {
        host_.QueueAlertAnswer(w[1] == "yes");
        return true;
    }
    if (command == "dialog" && w.size() == 2 && (w[1] == "ok" || w[1] == "cancel")) {
        host_.QueueDialogAnswer(w[1] == "ok");
        return true;
    }
    if (command == "break" && w.size() == 1) {
        host_.SetBreakPending(true);
        return true;
    }
    if (command == "wait" && w.size() == 2 && platform::ParseInt(w[1], ms) && ms >= 0) {
        waiter_(int(ms));
        return true;
    }
    if (command == "print" && w.size() == 1) {
        out_ << host_.Cells().Print();
        return true;
    }
    return Fail(number, "cannot read \"" + line + "\"");
}

bool ScriptRunner::Call(const std::vector<std::string>& w, size_t first, int number)
{
    const std::string& name = w[first];
    const ExportInfo* info = FindExport(name);
    if (!info)
        return Fail(number, "the add-in exports no " + name);
    if (!EnsureAddIn(number))
        return false;
    AddInLibrary& addIn = *host_.AddIn();
    Arguments args;
    std::vector<HostOperand> values;
    for (size_t i = first + 1; i < w.size(); ++i) {
        HostOperand op{};
        if (!ParseOperand(w[i], args, op))
            return Fail(number, "cannot read the argument " + w[i]);
        values.push_back(op);
    }
    const auto integerAt = [&](size_t i) {
        return i < values.size() && values[i].type == HOST_TYPE_NUMBER ? int(values[i].value.number) : 0;
    };
    std::optional<int> result;
    std::string shown;
    switch (info->shape) {
    case ExportShape::Command:
        result = addIn.Command(name.c_str());
        if (name == "xlAutoOpen")
            open_ = true;
        else if (name == "xlAutoClose" || name == "fExit")
            open_ = false;
        break;
    case ExportShape::Integers: {
        std::vector<int> integers;
        for (int i = 0; i < info->arguments; ++i)
            integers.push_back(integerAt(size_t(i)));
        result = addIn.Call(name.c_str(), integers);
        break;
    }
    case ExportShape::Operands: {
        std::vector<HostOperand*> operands;
        for (const HostOperand& op : values)
            operands.push_back(args.Add(op));
        const std::optional<HostOperand*> answer = addIn.CallOperands(name.c_str(), operands);
        if (!answer)
            return Fail(number, "the add-in lacks " + name);
        out_ << name << " -> " << Describe(*answer) << "\n";
        return true;
    }
    case ExportShape::Record: {
        RvnTestRecord record{};
        for (size_t i = 0; i < values.size() && i < 6; ++i) {
            const double v = values[i].type == HOST_TYPE_NUMBER ? values[i].value.number : 0.0;
            if (i < 2)
                record.doubles[i] = v;
            else
                record.floats[i - 2] = float(v);
        }
        result = addIn.CallRecord(name.c_str(), &record);
        shown = " record floats " + platform::FormatGeneral(record.floats[0]) + " " +
                platform::FormatGeneral(record.floats[1]);
        break;
    }
    case ExportShape::Analysis: {
        if (values.size() != 7 || values[5].type != HOST_TYPE_REFERENCE || values[6].type != HOST_TYPE_REFERENCE)
            return Fail(number, "PVAnalyzeData FIRST LAST N KIND COLUMN X-AREA Y-AREA");
        const int n = std::max(integerAt(2), 0);
        std::vector<double> columns[2];
        for (int k = 0; k < 2; ++k) {
            const HostReference& area = values[size_t(5 + k)].value.reference;
            for (int32_t row = area.rowFirst; row <= area.rowLast; ++row)
                for (int32_t column = area.columnFirst; column <= area.columnLast; ++column)
                    columns[k].push_back(host_.Cells().NumberAt(row, column).value_or(0.0));
            if (columns[k].size() < size_t(n))
                return Fail(number, "an area holds fewer than N numbers");
        }
        std::vector<char> out(2 * 65536, 0);
        result = addIn.AnalyzeData(integerAt(0), integerAt(1), n, integerAt(3), integerAt(4), columns[0].data(),
                                   columns[1].data(), out.data());
        out.back() = 0;
        shown = out[0] ? "\n" + FromCodePage(out.data()) : std::string();
        break;
    }
    case ExportShape::WideText:
        result = addIn.CallText(name.c_str(), values.empty() || values[0].type != HOST_TYPE_STRING
                                                  ? std::u16string()
                                                  : std::u16string(reinterpret_cast<const char16_t*>(
                                                                       values[0].value.text + 1),
                                                                   values[0].value.text[0]));
        break;
    }
    if (!result)
        return Fail(number, "the add-in lacks " + name);
    out_ << name << " -> " << *result << shown << "\n";
    return true;
}

}  // namespace xlhost
