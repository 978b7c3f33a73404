// The host's entry points and the sample commands, through the stand-in host and the real
// library.
#include "AddInHostFixture.h"

#include "platform/NamedEvent.h"

#include <QCoreApplication>

#include <unistd.h>

#include <bit>
#include <chrono>
#include <dlfcn.h>
#include <thread>

namespace {

using namespace addintest;
using xlhost::Host;

struct RowExpectation {
    const char* procedure;
    const char* type;
    const char* functionText;
};

constexpr RowExpectation kFunctionRows[] = {
    {"PvExcelSnapshotToCell", "B", "PvExcelSnapshotToCell"},
    {"PvExcelSnapshotForm", "BBBB", "PvExcelSnapshotForm"},
    {"PvExcelInit", "B", "PvExcelInit"},
    {"PvExcelExit", "B", "PvExcelExit"},
    {"PvExcelReadStart", "BBBBBB", "PvExcelReadStart"},
    {"PvExcelReadData", "B", "PvExcelReadData"},
    {"PvExcelReadStop", "B", "PvExcelReadStop"},
    {"PvExcelSensorDetection", "BBB", "PvExcelSensorDetection"},
    {"PvExcelSnapshot", "BBBB", "PvExcelSnapshot"},
    {"RvnFunctionTest", "UU", "RvnFunctionTest"},
    {"Func1", "UU", "Func1"},
    {"FuncSum", "UUUUUUUUUUUUUUUUUUUUUUUUUUUUUU", "FuncSum"},
    {"FuncFib", "UU", "FuncFib"},
    {"PVMeasureDialog", "BB", "PVMeasureDialog"},
    {"PVAnalyzeDialog", "BB", "PVAnalyzeDialog"},
    {"PVSnapshotDialog", "BB", "PVSnapshotDialog"},
    {"PVUpdataMeasure", "BBBB", "PvUpdataMeasure"},
    {"PVAnalyzeData", "BBBBBBUUU", "PVAnalyzeData"},
};
constexpr const char* kCommands[] = {"fDialog", "fDance", "fShowDialog", "fExit"};
constexpr const char* kShortcuts[] = {"l", "m", "n", "o"};

class EntryPoints : public AddInHostTest {};

TEST_F(EntryPoints, OpenRegistersBothTablesInOrder)
{
    ASSERT_EQ(Command("xlAutoOpen"), 1);
    const auto& log = host_->RegistrationLog();
    ASSERT_EQ(log.size(), 22u);
    for (size_t i = 0; i < 18; ++i) {
        SCOPED_TRACE(kFunctionRows[i].procedure);
        const xlhost::Registration& r = log[i];
        EXPECT_EQ(r.operandCount, 11);
        EXPECT_EQ(Utf8(r.path), CORVIK_ADDIN_LIBRARY);
        EXPECT_EQ(Utf8(r.texts[0]), kFunctionRows[i].procedure);
        EXPECT_EQ(Utf8(r.texts[1]), kFunctionRows[i].type);
        EXPECT_EQ(Utf8(r.texts[2]), kFunctionRows[i].functionText);
        EXPECT_EQ(Utf8(r.texts[4]), "1");
        EXPECT_EQ(Utf8(r.texts[5]), "Generic Add-In");
        EXPECT_EQ(Utf8(r.texts[6]), "");
        EXPECT_EQ(Utf8(r.texts[7]), "");
        const std::string procedure = kFunctionRows[i].procedure;
        if (procedure == "FuncSum") {
            EXPECT_EQ(Utf8(r.texts[3]), "number1,number2,...");
            EXPECT_EQ(Utf8(r.texts[8]), "Adds the arguments");
        } else if (procedure == "FuncFib") {
            EXPECT_EQ(Utf8(r.texts[3]), "Compute to...");
            EXPECT_EQ(Utf8(r.texts[9]), "Number to compute to");
        } else {
            EXPECT_EQ(Utf8(r.texts[3]), "Arg");
            EXPECT_EQ(Utf8(r.texts[8]), "Always returns the string '" + std::string(kFunctionRows[i].functionText) + "'");
            EXPECT_EQ(Utf8(r.texts[9]), "Argument ignored");
        }
    }
    for (size_t i = 0; i < 4; ++i) {
        const xlhost::Registration& r = log[18 + i];
        EXPECT_EQ(r.operandCount, 8);
        EXPECT_EQ(Utf8(r.texts[0]), kCommands[i]);
        EXPECT_EQ(Utf8(r.texts[1]), "A");
        EXPECT_EQ(Utf8(r.texts[2]), kCommands[i]);
        EXPECT_EQ(Utf8(r.texts[4]), "2");
        EXPECT_EQ(Utf8(r.texts[6]), kShortcuts[i]);
    }
    // Every procedure is an export of the library: the host registered all of them.
    EXPECT_EQ(host_->Registrations().size(), 22u);
    EXPECT_TRUE(host_->HasName(u"PvUpdataMeasure"));

    // Close removes every name again.
    ASSERT_EQ(Command("xlAutoClose"), 1);
    EXPECT_EQ(host_->NameCount(), 0u);
}

TEST_F(EntryPoints, RegisterOneByNameIgnoringCase)
{
    auto name = [](const char16_t* text) {
        static std::vector<uint16_t> counted;
        counted = xlhost::CountedText(text);
        HostOperand op{};
        op.type = HOST_TYPE_STRING;
        op.value.text = counted.data();
        return op;
    };
    HostOperand lower = name(u"pvexcelinit");
    HostOperand* answer = CallOperands("xlAutoRegister12", {&lower});
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->type, uint32_t(HOST_TYPE_ERROR));
    EXPECT_EQ(answer->value.error, HOST_ERROR_VALUE);
    ASSERT_EQ(host_->RegistrationLog().size(), 1u);
    EXPECT_EQ(Utf8(host_->RegistrationLog()[0].Procedure()), "PvExcelInit");
    EXPECT_EQ(host_->Ledger().Live(), 0u);  // the path it asked for went back

    HostOperand command = name(u"FEXIT");
    CallOperands("xlAutoRegister12", {&command});
    ASSERT_EQ(host_->RegistrationLog().size(), 2u);
    EXPECT_EQ(host_->RegistrationLog()[1].operandCount, 8);

    HostOperand unknown = name(u"PvExcelInitX");
    answer = CallOperands("xlAutoRegister12", {&unknown});
    EXPECT_EQ(answer->value.error, HOST_ERROR_VALUE);
    EXPECT_EQ(host_->RegistrationLog().size(), 2u);
}

TEST_F(EntryPoints, ManagerInfoGivesTheLongNameForActionOneOnly)
{
    HostOperand action{};
    action.type = HOST_TYPE_NUMBER;
    action.value.number = 1;
    HostOperand* answer = CallOperands("xlAddInManagerInfo12", {&action});
    ASSERT_NE(answer, nullptr);
    ASSERT_EQ(answer->type, uint32_t(HOST_TYPE_STRING));
    EXPECT_EQ(Utf8(std::u16string(reinterpret_cast<const char16_t*>(answer->value.text + 1), answer->value.text[0])),
              "Generic Standalone DLL");
    action.value.number = 2;
    answer = CallOperands("xlAddInManagerInfo12", {&action});
    EXPECT_EQ(answer->type, uint32_t(HOST_TYPE_ERROR));
    EXPECT_EQ(answer->value.error, HOST_ERROR_VALUE);
}

TEST_F(EntryPoints, AddAndRemoveThankTheUser)
{
    EXPECT_EQ(Command("xlAutoAdd"), 1);
    EXPECT_EQ(Command("xlAutoRemove"), 1);
    ASSERT_EQ(host_->Alerts().size(), 2u);
    EXPECT_EQ(Alerts()[0].rfind("Thank you for adding GENERIC.XLL\n built on ", 0), 0u);
    EXPECT_EQ(host_->Alerts()[0].type, 2);
    EXPECT_EQ(Alerts()[1], "Thank you for removing GENERIC.XLL!");
}

TEST_F(EntryPoints, CloseDeletesTheMenuAndToolbarOnlyWhenThere)
{
    EXPECT_EQ(Command("xlAutoClose"), 1);
    EXPECT_EQ(host_->CallCount(xlfGetBar), 1u);
    EXPECT_EQ(host_->CallCount(xlfDeleteMenu), 0u);
    EXPECT_EQ(host_->CallCount(xlfDeleteToolbar), 0u);

    host_->AddMenu(10, u"Generic");
    host_->AddToolbar(u"Test");
    host_->AddMenu(7, u"Generic");  // another bar's menu stays
    EXPECT_EQ(Command("xlAutoClose"), 1);
    EXPECT_FALSE(host_->HasMenu(10, u"Generic"));
    EXPECT_TRUE(host_->HasMenu(7, u"Generic"));
    EXPECT_FALSE(host_->HasToolbar(u"Test"));
    EXPECT_EQ(host_->CallCount(xlfDeleteMenu), 1u);
    EXPECT_EQ(host_->CallCount(xlfDeleteToolbar), 1u);
    EXPECT_EQ(host_->Ledger().Live(), 0u);  // the toolbar answer went back
}

TEST_F(EntryPoints, FibonacciOfNumbersAndCells)
{
    HostOperand ref{};
    ref.type = HOST_TYPE_REFERENCE;
    ref.value.reference = {0, 0, 0, 0};
    host_->Cells().Set(0, 0, xlhost::CellValue::Number(7));
    HostOperand* answer = CallOperands("FuncFib", {&ref});
    ASSERT_EQ(answer->type, uint32_t(HOST_TYPE_NUMBER));
    EXPECT_EQ(answer->value.number, 13.0);

    struct Case {
        double n;
        uint32_t type;
        double value;
    };
    // Past 46 the numbers no longer fit 32 bits; a double carries them to 1476.
    const Case cases[] = {{0, HOST_TYPE_NUMBER, 1}, {2, HOST_TYPE_NUMBER, 1}, {3, HOST_TYPE_NUMBER, 2},
                          {47, HOST_TYPE_NUMBER, 2971215073.0}, {50, HOST_TYPE_NUMBER, 12586269025.0},
                          {-1, HOST_TYPE_ERROR, HOST_ERROR_VALUE}, {1477, HOST_TYPE_ERROR, HOST_ERROR_NUM}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        HostOperand n{};
        n.type = HOST_TYPE_NUMBER;
        n.value.number = c.n;
        answer = CallOperands("FuncFib", {&n});
        ASSERT_EQ(answer->type, c.type);
        EXPECT_EQ(answer->type == HOST_TYPE_NUMBER ? answer->value.number : double(answer->value.error), c.value);
    }
    // A cell that is no number: the host's code of the failed conversion.
    host_->Cells().Set(0, 0, xlhost::CellValue::Text(u"seven"));
    answer = CallOperands("FuncFib", {&ref});
    ASSERT_EQ(answer->type, uint32_t(HOST_TYPE_ERROR));
    EXPECT_EQ(answer->value.error, HOST_RESULT_BAD_OPERAND);
    HostOperand area = ref;
    area.value.reference.rowLast = 3;
    EXPECT_EQ(CallOperands("FuncFib", {&area})->value.error, HOST_ERROR_VALUE);
}

TEST_F(EntryPoints, SumWritesItsCell)
{
    HostOperand* answer = CallOperands("FuncSum", {});
    ASSERT_EQ(answer->type, uint32_t(HOST_TYPE_NUMBER));
    EXPECT_EQ(answer->value.number, 145.0);
    EXPECT_EQ(Number(1, 1), 145.0);
}

TEST_F(EntryPoints, TestFunctionWritesItsOwnRecordAndRefusesNone)
{
    RvnTestRecord record{{1.0, -2.0}, {1.0f, 2.0f, 3.0f, 4.0f}};
    EXPECT_EQ(host_->AddIn()->CallRecord("RvnFunctionTest", &record), 1);
    EXPECT_EQ(std::bit_cast<uint32_t>(record.floats[0]), 0x46ADB472u);
    EXPECT_EQ(std::bit_cast<uint32_t>(record.floats[1]), 0x46ADB472u);
    EXPECT_EQ(record.floats[2], 3.0f);
    EXPECT_EQ(record.doubles[1], -2.0);
    ASSERT_EQ(host_->Alerts().size(), 2u);
    EXPECT_EQ(Alerts()[0], "RvnFunctionTest doubles 3FF0000000000000 C000000000000000");
    EXPECT_EQ(Alerts()[1], "RvnFunctionTest floats 3F800000 40000000 40400000 40800000");
    EXPECT_EQ(host_->AddIn()->CallRecord("RvnFunctionTest", nullptr), 0);
    EXPECT_EQ(host_->Alerts().size(), 2u);
}

TEST_F(EntryPoints, ExitTwiceFreesThePathOnce)
{
    ASSERT_EQ(Command("xlAutoOpen"), 1);
    EXPECT_EQ(host_->Ledger().Live(), 1u);  // the path kept from open
    EXPECT_EQ(Command("fExit"), 1);
    EXPECT_TRUE(host_->Registrations().empty());
    EXPECT_EQ(host_->Ledger().Live(), 0u);
    EXPECT_EQ(Command("fExit"), 1);
    EXPECT_EQ(host_->Ledger().BadFrees(), 0u);
    EXPECT_EQ(host_->Ledger().Live(), 0u);
}

TEST_F(EntryPoints, SampleDialogIsShownTwiceAndItsNameRemoved)
{
    host_->QueueDialogAnswer(true);
    host_->QueueDialogAnswer(false);
    EXPECT_EQ(Command("fDialog"), 1);
    ASSERT_EQ(host_->Dialogs().size(), 2u);
    EXPECT_EQ(host_->Dialogs()[0].rows, 16);
    EXPECT_EQ(host_->Dialogs()[0].columns, 7);
    EXPECT_EQ(host_->Dialogs()[1].rows, 16);
    EXPECT_FALSE(host_->HasName(u"GENERIC_List1"));
    EXPECT_EQ(host_->CallCount(xlfSetName), 2u);
}

TEST_F(EntryPoints, DanceCancelledAtOnce)
{
    host_->SetBreakPending(true);
    host_->QueueAlertAnswer(true);
    EXPECT_EQ(Command("fDance"), 1);
    // The break was asked about before the first step: not one cell of the minute's dance moved.
    EXPECT_EQ(host_->CallCount(xlcSelect), 0u);
    ASSERT_EQ(host_->Alerts().size(), 1u);
    EXPECT_EQ(Alerts().back(), "Are you sure you want to cancel this operation?");
    EXPECT_EQ(host_->Alerts().back().type, 1);
    EXPECT_EQ(host_->Status(), u"");  // the status bar is cleared
}

TEST_F(EntryPoints, ShowDialogAsksForTheWindowAndRestoresMessages)
{
    EXPECT_EQ(Command("fShowDialog"), 0);
    EXPECT_EQ(host_->CallCount(xlStack), 1u);
    EXPECT_EQ(host_->CallCount(xlGetHwnd), 1u);
    EXPECT_EQ(host_->CallCount(xlEnableXLMsgs), 1u);
    EXPECT_EQ(host_->CallCount(xlDisableXLMsgs), 1u);
    EXPECT_FALSE(host_->MessagesEnabled());
}

TEST_F(EntryPoints, OnlyTheEntryPointsLeaveTheLibrary)
{
    for (const xlhost::ExportInfo& e : xlhost::Exports())
        EXPECT_NE(host_->AddIn()->Symbol(std::string(e.name).c_str()), nullptr) << e.name;
    // Its own device link, flat layer and host calls stay inside.
    for (const char* inside : {"DevOpen", "DevClose", "DevGetDriverState", "MdCallBack12"})
        EXPECT_EQ(host_->AddIn()->Symbol(inside), nullptr) << inside;
}

TEST_F(EntryPoints, FireEventSignalsTheNamedEvent)
{
    const std::string name = "CorvikAddInTest/FireEvent" + std::to_string(getpid());
    platform::NamedEvent::Unlink(name);
    EXPECT_EQ(host_->AddIn()->CallText("FireEvent", platform::Utf8ToUtf16(name)), 1);
    platform::NamedEvent event(name);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));  // one signal, as an auto-reset event gives
    platform::NamedEvent::Unlink(name);
    EXPECT_EQ(host_->AddIn()->CallText("FireEvent", u""), 0);
    EXPECT_EQ(host_->AddIn()->CallText("FireEvent", std::u16string(platform::kMaxEventNameUnits + 1, u'a')), 0);
}

// The counter thread hands its writes to the host thread, and close stops it.
TEST_F(EntryPoints, CounterThreadWritesThroughTheHostThread)
{
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    HostOperand none{};
    none.type = HOST_TYPE_MISSING;
    HostOperand* answer = CallOperands("Func1", {&none});
    ASSERT_EQ(answer->type, uint32_t(HOST_TYPE_STRING));
    CallOperands("Func1", {&none});
    EXPECT_EQ(Number(5, 7), 24.0);  // two calls so far + 22
    // The thread's first round, three seconds on, writes 1 + 22 by way of the event loop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    while (Number(5, 7) != 23.0 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(Number(5, 7), 23.0);
    EXPECT_EQ(host_->ForeignThreadCalls(), 0u);
    EXPECT_EQ(Command("xlAutoClose"), 1);
    host_->UnloadAddIn();  // the thread is gone: nothing runs code of the unloaded library
    QCoreApplication::processEvents();
}

}  // namespace
