// The workbook functions against the simulated logger, through the stand-in host and the real
// library.
#include "AddInHostFixture.h"

#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using namespace addintest;
using corviktest::WaitUntil;

constexpr char kConnected[] = "연결되었습니다.";
constexpr char kNotConnected[] = "장치가 연결되지않았습니다 . \n장치 연결후  다시 시작하세요!";

class WorkbookFunctions : public AddInDeviceTest {};
class WithoutLogger : public AddInHostTest {};

TEST_F(WorkbookFunctions, InitConnectsOnceAndSaysSo)
{
    EXPECT_EQ(Call("PvExcelInit"), 1);
    EXPECT_EQ(Alerts(), std::vector<std::string>{kConnected});
    EXPECT_EQ(Call("PvExcelInit"), 1);  // already open: no second alert
    EXPECT_EQ(host_->Alerts().size(), 1u);
    EXPECT_EQ(Call("PvExcelExit"), 1);
    EXPECT_EQ(Call("PvExcelExit"), 1);
}

TEST_F(WithoutLogger, InitFailsWithTheReasonAndALaterOneSucceeds)
{
    EXPECT_EQ(Call("PvExcelInit"), 0);
    const std::vector<std::string> shown{kNotConnected, "error code =8"};
    EXPECT_EQ(Alerts(), shown);
    EXPECT_EQ(host_->Alerts().back().type, 2);
    // Every export that needs the device refuses without touching a cell.
    EXPECT_EQ(Call("PvExcelReadStart", {1, 100, 2, 3, 0}), 0);
    EXPECT_EQ(Call("PvExcelReadData"), 0);
    EXPECT_EQ(Call("PvExcelReadStop"), 0);
    EXPECT_EQ(Call("PvExcelSnapshot", {0, 0, 0}), 0);
    EXPECT_EQ(Call("PvExcelSensorDetection", {100, 1}), 0);
    EXPECT_EQ(host_->Cells().Count(), 0u);

    // The failed open left nothing behind: with a logger the next one works.
    devsim::testing::InProcessDevsim sim;
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    sim.PointDriverHere();
    EXPECT_EQ(Call("PvExcelInit"), 1);
    Command("xlAutoClose");
    sim.Stop();
}

TEST_F(WithoutLogger, MissingCatalogueIsReported)
{
    SetDataFolder(std::filesystem::temp_directory_path() / "no-such-corvik-folder");
    EXPECT_EQ(Call("PvExcelInit"), 0);
    EXPECT_EQ(Alerts().back(), "error code =202");
}

TEST_F(WorkbookFunctions, WithoutADataFolderTheCatalogueIsTakenFromTheCurrentFolder)
{
    ForgetDataFolder();
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(BuildShare());
    EXPECT_EQ(Call("PvExcelInit"), 1);
    std::filesystem::current_path(before);
}

TEST_F(WorkbookFunctions, LostLinkMakesInitOpenAgain)
{
    OpenAndDetect();
    ASSERT_TRUE(sim_.AddFault("0x10000011 disconnect"));
    // The next status query finds the link gone.
    Call("PvExcelSensorDetection", {100, 1});
    ASSERT_TRUE(WaitUntil([&] { return Call("PvExcelInit") == 1 && host_->Alerts().size() >= 3; }, 5000));
    EXPECT_EQ(Alerts().back(), kConnected);
}

TEST_F(WorkbookFunctions, DetectionIsPacedByThePollPeriodOrForced)
{
    ASSERT_EQ(Call("PvExcelInit"), 1);
    // 1000 / 100 = 10: calls 1 to 11 only count, the 12th detects.
    for (int call = 1; call <= 11; ++call)
        EXPECT_EQ(Call("PvExcelSensorDetection", {100, 0}), 0) << call;
    EXPECT_EQ(Call("PvExcelSensorDetection", {100, 0}), 1);
    EXPECT_EQ(Alerts().back(), "채널A-Temperature\n센서가 연결되었습니다.");
    // Forced, at once; a period of 0 paces nothing and runs nothing.
    EXPECT_EQ(Call("PvExcelSensorDetection", {100, 1}), 1);
    EXPECT_EQ(Call("PvExcelSensorDetection", {0, 1}), 0);
    EXPECT_EQ(Call("PvExcelSensorDetection", {-5, 1}), 0);
}

TEST_F(WorkbookFunctions, UnidentifiedSensorIsNotThere)
{
    ASSERT_TRUE(sim_.Plug(1, "temperature"));  // answers, but matches no catalogue entry
    ASSERT_TRUE(sim_.Plug(2, "R75 constant value=2.5"));
    OpenAndDetect();
    EXPECT_EQ(Alerts().back(), "채널A-Temperature\n채널C-Voltage\n센서가 연결되었습니다.");
    ASSERT_EQ(Call("PvExcelSnapshotToCell"), 1);
    EXPECT_EQ(Text(2, 2), "Temperature(°C)");
    EXPECT_EQ(Text(2, 3), "Voltage(V)");
    EXPECT_FALSE(host_->Cells().Get(2, 4));
}

TEST_F(WorkbookFunctions, NoSensorAtAll)
{
    sim_.Device().Pull(0);
    ASSERT_EQ(Call("PvExcelInit"), 1);
    EXPECT_EQ(Call("PvExcelSensorDetection", {100, 1}), 1);
    EXPECT_EQ(Alerts().back(), "센서 연결이 해제되었습니다.");
}

TEST_F(WorkbookFunctions, ReadingFillsTimesAndValues)
{
    OpenAndDetect();
    ASSERT_EQ(Call("PvExcelReadStart", {1, 100, 2, 3, 0}), 1);
    EXPECT_EQ(Call("PvExcelReadStart", {1, 100, 2, 3, 0}), 0);  // already reading
    const auto rows = [&] {
        int n = 0;
        while (Number(3 + n, 0))
            ++n;
        return n;
    };
    ASSERT_TRUE(WaitUntil([&] { return Call("PvExcelReadData") == 1 && rows() >= 21; }, 8000)) << rows();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Call("PvExcelReadData");
    // 2 s at 100 ms: one sample at the start and one a period to the end.
    EXPECT_EQ(rows(), 21);
    for (int k = 0; k < 21; ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(Number(3 + k, 0));
        EXPECT_NEAR(*Number(3 + k, 0), 0.1 * k, 1e-4);
        ASSERT_TRUE(Number(3 + k, 1));
        EXPECT_NEAR(*Number(3 + k, 1), 21.5, 0.1);
    }
    EXPECT_EQ(Call("PvExcelReadStop"), 1);
    EXPECT_EQ(Call("PvExcelReadStop"), 0);
}

TEST_F(WorkbookFunctions, RefusedPeriodsLeaveNoRun)
{
    OpenAndDetect();
    EXPECT_EQ(Call("PvExcelReadStart", {1, 0, 2, 3, 0}), 0);
    EXPECT_EQ(Call("PvExcelReadStart", {1, -100, 2, 3, 0}), 0);
    // 3,000,000 ms is more microseconds than the logger's interval field holds.
    EXPECT_EQ(Call("PvExcelReadStart", {1, 3000000, 2, 3, 0}), 0);
    EXPECT_EQ(Call("PvExcelReadStop"), 0);
    EXPECT_EQ(Call("PvExcelReadStart", {1, 100, 1, 3, 0}), 1);
}

TEST_F(WorkbookFunctions, SnapshotWhileReadingLeavesTheRunAlone)
{
    OpenAndDetect();
    ASSERT_EQ(Call("PvExcelReadStart", {1, 100, 1, 3, 0}), 1);
    EXPECT_EQ(Call("PvExcelSnapshot", {0, 0, 5}), 1);
    EXPECT_FALSE(host_->Cells().Get(0, 5));
    ASSERT_TRUE(WaitUntil([&] { return Call("PvExcelReadData") == 1 && Number(13, 0); }, 8000));
    EXPECT_NEAR(*Number(13, 0), 1.0, 1e-4);
}

TEST_F(WorkbookFunctions, SnapshotLinesCountOnAndShowTheUnit)
{
    OpenAndDetect();
    EXPECT_EQ(Call("PvExcelSnapshot", {0, 0, 5}), 1);
    EXPECT_EQ(Text(0, 5), "s=0,0  21.500 °C\n");
    EXPECT_EQ(Call("PvExcelSnapshot", {0, 1, 5}), 1);
    EXPECT_EQ(Text(1, 5), "s=1,0  21.500 °C\n");
    EXPECT_EQ(Call("PvExcelSnapshot", {4, 2, 5}), 0);
    EXPECT_EQ(Call("PvExcelSnapshot", {-1, 2, 5}), 0);
    EXPECT_EQ(Call("PvExcelSnapshot", {3, 2, 5}), 1);  // nothing on channel D: nothing written
    EXPECT_FALSE(host_->Cells().Get(2, 5));
}

TEST_F(WorkbookFunctions, SnapshotToCellPutsEachValueUnderItsHeader)
{
    // A cable between two sensors: it has a header, but no value; the voltage after it stays
    // in its own column.
    ASSERT_TRUE(sim_.Plug(1, "CABL"));
    ASSERT_TRUE(sim_.Plug(2, "R75 constant value=2.5"));
    for (int call = 1; call <= 4; ++call) {
        SCOPED_TRACE(call);
        host_->Cells().ClearAll();
        ASSERT_EQ(Call("PvExcelSnapshotToCell"), 1);
        // Headers on the first three calls after a detection only.
        if (call <= 3) {
            EXPECT_EQ(Text(2, 2), "Temperature(°C)");
            EXPECT_EQ(Text(2, 3), "Bare cable(V)");
            EXPECT_EQ(Text(2, 4), "Voltage(V)");
        } else {
            EXPECT_FALSE(host_->Cells().Get(2, 2));
        }
        ASSERT_TRUE(Number(1, 2));
        EXPECT_NEAR(*Number(1, 2), 21.5, 0.01);
        EXPECT_FALSE(host_->Cells().Get(1, 3));
        ASSERT_TRUE(Number(1, 4));
        EXPECT_NEAR(*Number(1, 4), 2.5, 0.05);
    }
}

TEST_F(WorkbookFunctions, PlaceholdersAnswerFixedValues)
{
    EXPECT_EQ(Call("PVUpdataMeasure", {0}), 1);
    EXPECT_EQ(Call("PvExcelSnapshotForm", {1, 2, 3}), 0);
}

TEST_F(WithoutLogger, MeasureDialogWithoutDeviceCountsAsDone)
{
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 1);
}

TEST_F(WorkbookFunctions, CloseWithoutOpenLeavesTheDeviceAlone)
{
    EXPECT_EQ(Command("xlAutoClose"), 1);
    EXPECT_EQ(sim_.Device().HelloAnswers(), 0);
}

TEST_F(WorkbookFunctions, CloseEndsAReadingRun)
{
    OpenAndDetect();
    ASSERT_EQ(Call("PvExcelReadStart", {1, 100, 30, 3, 0}), 1);
    EXPECT_EQ(Command("xlAutoClose"), 1);
    EXPECT_TRUE(WaitUntil([&] { return !sim_.Device().Measuring(); }, 2000));
}

}  // namespace
