#pragma once

#include <array>
#include <string_view>

// What the add-in registers with the host: its workbook functions and its commands, in the
// order and with the texts the host is told.
namespace addin {

inline constexpr int kFunctionRows = 18;
inline constexpr int kFunctionColumns = 10;
inline constexpr int kCommandRows = 4;
inline constexpr int kCommandColumns = 7;

// Columns: procedure, type text, function text, argument text, macro type, category, shortcut,
// help topic, function help, argument help.
using FunctionRow = std::array<std::u16string_view, kFunctionColumns>;
// Columns: procedure, type text, function text, argument text, macro type, category, shortcut.
using CommandRow = std::array<std::u16string_view, kCommandColumns>;

const std::array<FunctionRow, kFunctionRows>& FunctionTable();
const std::array<CommandRow, kCommandRows>& CommandTable();

inline constexpr int kProcedureColumn = 0;
inline constexpr int kFunctionTextColumn = 2;

}  // namespace addin
