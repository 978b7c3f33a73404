#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The stand-in host's one worksheet: cells by 0-based row and column, each a number, a text, a
// boolean or an error value; an empty cell is simply absent.
namespace xlhost {

struct CellValue {
    enum class Kind { Number, Text, Boolean, Error };
    Kind kind = Kind::Number;
    double number = 0.0;
    std::u16string text;
    bool boolean = false;
    int32_t error = 0;

    static CellValue Number(double v);
    static CellValue Text(std::u16string v);
    static CellValue Boolean(bool v);
    static CellValue Error(int32_t code);
    bool operator==(const CellValue&) const = default;
    // As the host would show it: numbers in the C locale, texts in quotes, errors as #CODE.
    std::string Display() const;
};

struct CellAddress {
    int32_t row = 0;
    int32_t column = 0;
    bool operator==(const CellAddress&) const = default;
};

class Sheet {
public:
    void Set(int32_t row, int32_t column, CellValue value);
    void Clear(int32_t row, int32_t column);
    void ClearAll() { cells_.clear(); }
    const CellValue* Get(int32_t row, int32_t column) const;
    std::optional<double> NumberAt(int32_t row, int32_t column) const;
    std::u16string TextAt(int32_t row, int32_t column) const;
    size_t Count() const { return cells_.size(); }
    // Every cell, by row and then column.
    std::vector<std::pair<CellAddress, CellValue>> Sorted() const;
    // One line a cell: "R3C0  0.1".
    std::string Print() const;

    // "R3C0" (0-based) to an address, false for anything else.
    static bool ParseAddress(std::string_view text, CellAddress& out);
    static std::string AddressText(int32_t row, int32_t column);

private:
    static uint64_t Key(int32_t row, int32_t column) { return uint64_t(uint32_t(row)) << 32 | uint32_t(column); }
    std::unordered_map<uint64_t, CellValue> cells_;
};

}  // namespace xlhost
