#include "addin/RegistrationTables.h"

namespace addin {

namespace {

constexpr std::u16string_view kCategory = u"Generic Add-In";

}  // namespace

const std::array<FunctionRow, kFunctionRows>& FunctionTable()
{
    static constexpr std::array<FunctionRow, kFunctionRows> table = {
        FunctionRow{u"PvExcelSnapshotToCell", u"B", u"PvExcelSnapshotToCell",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelSnapshotToCell'", u"Argument ignored"},
        FunctionRow{u"PvExcelSnapshotForm", u"BBBB", u"PvExcelSnapshotForm",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelSnapshotForm'", u"Argument ignored"},
        FunctionRow{u"PvExcelInit", u"B", u"PvExcelInit",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelInit'", u"Argument ignored"},
        FunctionRow{u"PvExcelExit", u"B", u"PvExcelExit",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelExit'", u"Argument ignored"},
        FunctionRow{u"PvExcelReadStart", u"BBBBBB", u"PvExcelReadStart",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelReadStart'", u"Argument ignored"},
        FunctionRow{u"PvExcelReadData", u"B", u"PvExcelReadData",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelReadData'", u"Argument ignored"},
        FunctionRow{u"PvExcelReadStop", u"B", u"PvExcelReadStop",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelReadStop'", u"Argument ignored"},
        FunctionRow{u"PvExcelSensorDetection", u"BBB", u"PvExcelSensorDetection",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelSensorDetection'", u"Argument ignored"},
        FunctionRow{u"PvExcelSnapshot", u"BBBB", u"PvExcelSnapshot",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvExcelSnapshot'", u"Argument ignored"},
        FunctionRow{u"RvnFunctionTest", u"UU", u"RvnFunctionTest",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'RvnFunctionTest'", u"Argument ignored"},
        FunctionRow{u"Func1", u"UU", u"Func1",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'Func1'", u"Argument ignored"},
        FunctionRow{u"FuncSum", u"UUUUUUUUUUUUUUUUUUUUUUUUUUUUUU", u"FuncSum",
                    u"number1,number2,...", u"1", kCategory, u"", u"",
                    u"Adds the arguments", u"Number1,number2,... are 1 to 29 arguments for which you want to sum."},
        FunctionRow{u"FuncFib", u"UU", u"FuncFib",
                    u"Compute to...", u"1", kCategory, u"", u"",
                    u"Computes the nth fibonacci number", u"Number to compute to"},
        FunctionRow{u"PVMeasureDialog", u"BB", u"PVMeasureDialog",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PVMeasureDialog'", u"Argument ignored"},
        FunctionRow{u"PVAnalyzeDialog", u"BB", u"PVAnalyzeDialog",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PVAnalyzeDialog'", u"Argument ignored"},
        FunctionRow{u"PVSnapshotDialog", u"BB", u"PVSnapshotDialog",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PVSnapshotDialog'", u"Argument ignored"},
        FunctionRow{u"PVUpdataMeasure", u"BBBB", u"PvUpdataMeasure",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PvUpdataMeasure'", u"Argument ignored"},
        FunctionRow{u"PVAnalyzeData", u"BBBBBBUUU", u"PVAnalyzeData",
                    u"Arg", u"1", kCategory, u"", u"",
                    u"Always returns the string 'PVAnalyzeData'", u"Argument ignored"},
    };
    return table;
}

const std::array<CommandRow, kCommandRows>& CommandTable()
{
    static constexpr std::array<CommandRow, kCommandRows> table = {
        CommandRow{u"fDialog", u"A", u"fDialog", u"", u"2", kCategory, u"l"},
        CommandRow{u"fDance", u"A", u"fDance", u"", u"2", kCategory, u"m"},
        CommandRow{u"fShowDialog", u"A", u"fShowDialog", u"", u"2", kCategory, u"n"},
        CommandRow{u"fExit", u"A", u"fExit", u"", u"2", kCategory, u"o"},
    };
    return table;
}

}  // namespace addin
