#pragma once

#include "addin/HostCallApi.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Calls into the spreadsheet host through its callback, and the temporary operands they take.
namespace addin::host {

// The host's callback from its main program, or null when it exports none (every call then
// fails with HOST_RESULT_FAILED and changes nothing).
HostCallback Callback();

// Operands built for one host call; everything they point to lives until this object goes, so
// build them for the call and drop them after it.
class Operands {
public:
    HostOperand* Number(double value);
    HostOperand* Integer(int32_t value);
    HostOperand* Boolean(bool value);
    HostOperand* Error(int32_t code);
    HostOperand* Missing();
    HostOperand* Empty();
    // A counted string; text beyond 255 units is cut (never inside a surrogate pair).
    HostOperand* Text(std::u16string_view text);
    HostOperand* Text(std::string_view utf8);
    HostOperand* Reference(int32_t rowFirst, int32_t rowLast, int32_t columnFirst, int32_t columnLast);
    HostOperand* Cell(int32_t row, int32_t column) { return Reference(row, row, column, column); }
    // A rows x columns array of missing values to fill through Item().
    HostOperand* Array(int32_t rows, int32_t columns);
    static HostOperand& Item(HostOperand& array, int32_t row, int32_t column)
    {
        return array.value.array.items[int64_t(row) * array.value.array.columns + column];
    }
    // Stores a counted copy of the text for an operand that lives elsewhere (an array item).
    void SetText(HostOperand& operand, std::u16string_view text);

private:
    HostOperand* Add(uint32_t type);

    std::deque<HostOperand> operands_;
    std::deque<std::vector<uint16_t>> texts_;
    std::deque<std::vector<HostOperand>> arrays_;
};

// One host function: HOST_RESULT_*. `result` may be null when the answer is not wanted.
int Call(int function, HostOperand* result, std::initializer_list<HostOperand*> arguments);
int Call(int function, HostOperand* result, const std::vector<HostOperand*>& arguments);
// Hands a result that carries host memory back to the host (xlFree) and makes it missing.
void Free(HostOperand& result);

// The text of a counted string operand (empty for any other type).
std::u16string TextOf(const HostOperand& operand);
bool IsError(const HostOperand& operand);

// Common calls.
int SetCell(int32_t row, int32_t column, double number);
int SetCellInteger(int32_t row, int32_t column, int32_t number);
int SetCellText(int32_t row, int32_t column, std::u16string_view text);
// Clears the cells of an area.
int ClearCells(int32_t rowFirst, int32_t rowLast, int32_t columnFirst, int32_t columnLast);
// The host's alert boxes by their type number.
enum AlertKind : int {
    kAlertQuestion = 1,   // OK or Cancel: the answer is true for OK
    kAlertInfo = 2,
    kAlertWarning = 3,
};
bool Alert(std::u16string_view text, int type);
int ShowStatus(std::u16string_view text);
int ClearStatus();

}  // namespace addin::host
