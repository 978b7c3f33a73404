#include "tools/xlhost/Sheet.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace xlhost {

CellValue CellValue::Number(double v)
{
    CellValue c;
    c.kind = Kind::Number;
    c.number = v;
    return c;
}

CellValue CellValue::Text(std::u16string v)
{
    CellValue c;
    c.kind = Kind::Text;
    c.text = std::move(v);
    return c;
}

CellValue CellValue::Boolean(bool v)
{
    CellValue c;
    c.kind = Kind::Boolean;
    c.boolean = v;
    return c;
}

CellValue CellValue::Error(int32_t code)
{
    CellValue c;
    c.kind = Kind::Error;
    c.error = code;
    return c;
}

std::string CellValue::Display() const
{
    switch (kind) {
    case Kind::Number: {
        // A number that came from a single-precision value shows as that value was measured.
        const float single = float(number);
        if (double(single) == number && std::isfinite(single)) {
            char text[32];
            const auto end = std::to_chars(text, text + sizeof text, single).ptr;
            return std::string(text, end);
        }
        return platform::FormatGeneral(number);
    }
    case Kind::Text: {
        std::string shown;
        for (char c : platform::Utf16ToUtf8(text))
            shown += c == '\n' ? std::string("\\n") : std::string(1, c);
        return "\"" + shown + "\"";
    }
    case Kind::Boolean: return boolean ? "TRUE" : "FALSE";
    case Kind::Error: return "#" + platform::FormatInt(error);
    }
    return {};
}

void Sheet::Set(int32_t row, int32_t column, CellValue value)
{
    cells_.insert_or_assign(Key(row, column), std::move(value));
}

void Sheet::Clear(int32_t row, int32_t column)
{
    cells_.erase(Key(row, column));
}

const CellValue* Sheet::Get(int32_t row, int32_t column) const
{
    const auto it = cells_.find(Key(row, column));
    return it == cells_.end() ? nullptr : &it->second;
}

std::optional<double> Sheet::NumberAt(int32_t row, int32_t column) const
{
    const CellValue* cell = Get(row, column);
    if (!cell || cell->kind != CellValue::Kind::Number)
        return std::nullopt;
    return cell->number;
}

std::u16string Sheet::TextAt(int32_t row, int32_t column) const
{
    const CellValue* cell = Get(row, column);
    return cell && cell->kind == CellValue::Kind::Text ? cell->text : std::u16string();
}

std::vector<std::pair<CellAddress, CellValue>> Sheet::Sorted() const
{
    std::vector<std::pair<CellAddress, CellValue>> out;
    out.reserve(cells_.size());
    for (const auto& [key, value] : cells_)
        out.push_back({{int32_t(key >> 32), int32_t(key & 0xFFFFFFFFu)}, value});
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return a.first.row != b.first.row ? a.first.row < b.first.row : a.first.column < b.first.column;
    });
    return out;
}

std::string Sheet::AddressText(int32_t row, int32_t column)
{
    return "R" + platform::FormatInt(row) + "C" + platform::FormatInt(column);
}

std::string Sheet::Print() const
{
    std::string text;
    for (const auto& [address, value] : Sorted())
        text += AddressText(address.row, address.column) + "  " + value.Display() + "\n";
    return text;
}

bool Sheet::ParseAddress(std::string_view text, CellAddress& out)
{
    if (text.size() < 4 || (text[0] != 'R' && text[0] != 'r'))
        return false;
    const size_t c = text.find_first_of("Cc", 1);
    if (c == std::string_view::npos)
        return false;
    int64_t row = 0, column = 0;
    if (!platform::ParseInt(text.substr(1, c - 1), row) || !platform::ParseInt(text.substr(c + 1), column))
        return false;
    if (row < 0 || column < 0 || row > INT32_MAX || column > INT32_MAX)
        return false;
    out = {int32_t(row), int32_t(column)};
    return true;
}

}  // namespace xlhost
