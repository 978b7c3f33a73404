// The add-in's windows through the stand-in host and the real library, against the simulated
// logger: the measurement window, the snapshot window and the analysis dialogs, as a user
// drives them.
#include "AddInHostFixture.h"
#include "DialogDriver.h"

#include "tools/xlhost/Script.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

namespace {

using namespace addintest;

constexpr int kMeasureDialog = 5004;
constexpr int kStartStop = 5001;
constexpr int kRate = 5006;
constexpr int kDuration = 5007;
constexpr int kChannelA = 5009;
constexpr int kSnapshotWindow = 5001;
constexpr int kDetailWindow = 5006;
constexpr int kCopy = 5017;
constexpr int kResultList = 5015;
constexpr int kCurveDialog = 5014;
constexpr int kOk = 5016;
constexpr int kCancel = 5017;

bool Checked(QWidget& window, int id)
{
    auto* button = Control<QAbstractButton>(window, id);
    return button && button->isChecked();
}

bool Enabled(QWidget& window, int id)
{
    auto* control = Control(window, id);
    return control && control->isEnabled();
}

class MeasureWindow : public AddInDeviceTest {
protected:
    // Opens the window and waits until the sensors are found.
    void WhenChannelsFound(std::function<void(QDialog&)> script)
    {
        WhenModal(kMeasureDialog, [script](QDialog& dialog) {
            ASSERT_TRUE(SpinUntil([&] { return Enabled(dialog, kChannelA); }, 10000));
            script(dialog);
        });
    }
    // Rows of samples written from row 3 down.
    int SampleRows() const
    {
        int rows = 0;
        while (Number(3 + rows, 0))
            ++rows;
        return rows;
    }
};

TEST_F(MeasureWindow, NoRateDurationOrChannelStartsNothing)
{
    struct Case {
        const char* rate;
        const char* duration;
        bool channelA;
        bool explained;
    };
    const Case cases[] = {
        {"0", "2", true, false}, {"5", "0", true, false}, {"5", "2", false, false}, {"1001", "2", true, true}};
    WhenChannelsFound([&](QDialog& dialog) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.rate << "/s for " << c.duration << " s, channel A " << c.channelA);
            const size_t alerts = host_->Alerts().size();
            Type(dialog, kRate, QString::fromLatin1(c.rate));
            Type(dialog, kDuration, QString::fromLatin1(c.duration));
            if (Checked(dialog, kChannelA) != c.channelA)
                Click(dialog, kChannelA);
            Click(dialog, kStartStop);
            Spin(300);
            EXPECT_FALSE(Checked(dialog, kStartStop));
            EXPECT_TRUE(Enabled(dialog, kRate));
            EXPECT_FALSE(sim_.Device().Measuring());
            EXPECT_EQ(host_->Cells().Count(), 0u);
            ASSERT_EQ(host_->Alerts().size(), alerts + (c.explained ? 1 : 0));
            if (c.explained) {
                EXPECT_NE(Alerts().back().find("1 to 1000"), std::string::npos) << Alerts().back();
            }
        }
        dialog.close();
    });
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 0);  // nothing measured: Cancel
}

TEST_F(MeasureWindow, FiveASecondForTwoSecondsFillsTheSheet)
{
    WhenChannelsFound([&](QDialog& dialog) {
        Type(dialog, kRate, "5");
        Type(dialog, kDuration, "2");
        Click(dialog, kChannelA);
        Click(dialog, kStartStop);
        ASSERT_TRUE(Checked(dialog, kStartStop));
        EXPECT_FALSE(Enabled(dialog, kRate));
        // It ends by itself once the two seconds are in.
        ASSERT_TRUE(SpinUntil([&] { return !Checked(dialog, kStartStop); }, 8000));
        EXPECT_TRUE(Enabled(dialog, kRate));
        dialog.close();
    });
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 1);
    EXPECT_EQ(Text(2, 0), "번호");
    EXPECT_EQ(Text(2, 1), "시간(초)");
    EXPECT_EQ(Text(2, 2), "Temperature(°C)");
    const int rows = SampleRows();
    EXPECT_GE(rows, 10);
    double lastTime = -1.0;
    for (int k = 0; k < rows; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(*Number(3 + k, 0), double(k + 1));
        ASSERT_TRUE(Number(3 + k, 1));
        EXPECT_GT(*Number(3 + k, 1), lastTime);
        lastTime = *Number(3 + k, 1);
        ASSERT_TRUE(Number(3 + k, 2));
        EXPECT_NEAR(*Number(3 + k, 2), 21.5, 0.01);
    }
}

// A sensor of four quantities: each sample fills its four columns, a sample a row.
TEST_F(MeasureWindow, EverySampleOfASensorOfSeveralQuantitiesIsOneRow)
{
    ASSERT_TRUE(sim_.Plug(0, "N50"));
    WhenChannelsFound([&](QDialog& dialog) {
        Type(dialog, kRate, "5");
        Type(dialog, kDuration, "2");
        Click(dialog, kChannelA);
        Click(dialog, kStartStop);
        ASSERT_TRUE(SpinUntil([&] { return !Checked(dialog, kStartStop); }, 8000));
        dialog.close();
    });
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 1);
    EXPECT_EQ(Text(2, 5), "Colour-Clear(%)");
    ASSERT_GE(SampleRows(), 10);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(*Number(3 + k, 1), 0.2 * k, 1e-6);
        for (int column = 2; column <= 5; ++column)
            EXPECT_TRUE(Number(3 + k, column)) << column;
    }
}

TEST_F(MeasureWindow, ACableShowsNotAvailableAndCannotBeChosen)
{
    ASSERT_TRUE(sim_.Plug(1, "CABL"));
    WhenChannelsFound([&](QDialog& dialog) {
        EXPECT_TRUE(SpinUntil([&] { return ChannelText(dialog, 1).contains(QStringLiteral("N/A")); }, 5000))
            << ChannelText(dialog, 1).toStdString();
        EXPECT_TRUE(SpinUntil([&] { return ChannelText(dialog, 0).contains(QStringLiteral("21.5")); }, 5000))
            << ChannelText(dialog, 0).toStdString();
        EXPECT_FALSE(Enabled(dialog, kChannelA + 1));
        Click(dialog, kChannelA + 1);
        EXPECT_FALSE(Checked(dialog, kChannelA + 1));
        dialog.close();
    });
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 0);
}

TEST_F(MeasureWindow, LosingTheLoggerCancelsAtTheNextTick)
{
    bool gone = false;
    WhenChannelsFound([&](QDialog& dialog) {
        Type(dialog, kRate, "5");
        Type(dialog, kDuration, "30");
        Click(dialog, kChannelA);
        Click(dialog, kStartStop);
        ASSERT_TRUE(SpinUntil([&] { return Number(3, 0).has_value(); }, 5000));
        sim_.Stop();
        ASSERT_TRUE(SpinUntil([&] { return !dialog.isVisible(); }, 20000));
        gone = true;
    });
    EXPECT_EQ(Call("PVMeasureDialog", {0}), 0);
    EXPECT_TRUE(gone);
}

class SnapshotWindow : public AddInDeviceTest {};

TEST_F(SnapshotWindow, GoesWithTheLoggerAtItsNextTick)
{
    ASSERT_EQ(Call("PVSnapshotDialog", {0}), 1);
    QPointer<QWidget> window = ShownWindow(kSnapshotWindow);
    ASSERT_TRUE(window);
    ASSERT_TRUE(SpinUntil([&] { return ChannelText(*window, 0).contains(QStringLiteral("21.5")); }, 8000))
        << ChannelText(*window, 0).toStdString();
    sim_.Stop();
    ASSERT_TRUE(SpinWithDeletes([&] { return window.isNull(); }, 20000));
}

// A host that unloads the add-in without closing it first: the window and its thread go with it.
TEST_F(SnapshotWindow, GoesWhenTheLibraryIsUnloaded)
{
    ASSERT_EQ(Call("PVSnapshotDialog", {0}), 1);
    ASSERT_TRUE(ShownWindow(kSnapshotWindow));
    Spin(300);
    host_->UnloadAddIn();
    EXPECT_EQ(ShownWindow(kSnapshotWindow), nullptr);
}

class AnalysisWindows : public AddInHostTest {
protected:
    void SetUp() override
    {
        AddInHostTest::SetUp();
        for (int i = 0; i < 40; ++i) {
            x_.push_back(1.0 + 0.25 * i);
            y_.push_back(5.0 * std::exp(-0.3 * x_.back()) + 1.0);
        }
    }
    // The analysis of all 40 points into column 4; the lines as the result window lists them.
    int Analyze(int kind, QStringList* lines = nullptr)
    {
        std::vector<char> out(8192, 0);
        const int result =
            host_->AddIn()->AnalyzeData(0, 39, 40, kind, 4, x_.data(), y_.data(), out.data()).value_or(-999);
        if (lines) {
            EXPECT_EQ(Call("PVAnalyzeDialog", {0}), 1);
            QWidget* detail = ShownWindow(kDetailWindow);
            EXPECT_NE(detail, nullptr);
            lines->clear();
            if (auto* list = detail ? Control<QListWidget>(*detail, kResultList) : nullptr) {
                for (int i = 0; i < list->count(); ++i)
                    *lines << list->item(i)->text();
            }
        }
        return result;
    }
    std::vector<double> x_, y_;
};

TEST_F(AnalysisWindows, CopyPutsEveryLineOnTheClipboard)
{
    QStringList lines;
    ASSERT_EQ(Analyze(2, &lines), 1);
    ASSERT_GT(lines.size(), 5);
    QGuiApplication::clipboard()->clear();
    Click(*ShownWindow(kDetailWindow), kCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

TEST_F(AnalysisWindows, TheCurveDialogChoosesTheFit)
{
    // Order index 8: a polynomial of order 11.
    QStringList lines;
    WhenModal(kCurveDialog, [](QDialog& dialog) {
        Choose(dialog, 5020, 8);
        Click(dialog, kOk);
    });
    ASSERT_EQ(Analyze(4, &lines), 1);
    const std::string shown = lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral(" : 11$"))).size(), 1) << shown;
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^C11 : "))).size(), 1) << shown;
    EXPECT_TRUE(lines.filter(QRegularExpression(QStringLiteral("^C12 : "))).isEmpty()) << shown;

    // The exponential with its added constant: the fit of kind 6, with A, B and C.
    WhenModal(kCurveDialog, [](QDialog& dialog) {
        Click(dialog, 5022);
        Choose(dialog, 5024, 1);
        Click(dialog, kOk);
    });
    ASSERT_EQ(Analyze(4, &lines), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^[ABC] : "))).size(), 3)
        << lines.join(QLatin1Char('|')).toStdString();

    // Cancel in any option dialog: 0, and nothing written.
    for (const auto& [kind, dialogId] : {std::pair{4, kCurveDialog}, std::pair{9, 5015}, std::pair{10, 5016}}) {
        SCOPED_TRACE(kind);
        host_->Cells().ClearAll();
        WhenModal(dialogId, [](QDialog& dialog) { Click(dialog, kCancel); });
        EXPECT_EQ(Analyze(kind), 0);
        EXPECT_EQ(host_->Cells().Count(), 0u);
    }
}

// Pictures of the windows for the documentation, written only when CORVIK_PICTURES_DIR names a
// folder: the measurement window during a run, the snapshot window, the analysis windows.
class DialogPictures : public AddInDeviceTest {};

TEST_F(DialogPictures, Grab)
{
    const char* folder = std::getenv("CORVIK_PICTURES_DIR");
    if (!folder)
        GTEST_SKIP() << "CORVIK_PICTURES_DIR is not set";
    const QDir dir(QString::fromLocal8Bit(folder));
    ASSERT_TRUE(sim_.Plug(1, "CABL"));
    ASSERT_TRUE(sim_.Plug(2, "R75 constant value=2.5"));
    ASSERT_EQ(Call("PVSnapshotDialog", {0}), 1);
    QWidget* snapshot = ShownWindow(kSnapshotWindow);
    ASSERT_TRUE(snapshot);
    ASSERT_TRUE(SpinUntil([&] { return ChannelText(*snapshot, 2).contains(QStringLiteral("2.5")); }, 8000));
    Spin(300);
    EXPECT_TRUE(snapshot->grab().save(dir.filePath(QStringLiteral("addin_snapshot.png"))));

    WhenModal(kMeasureDialog, [&](QDialog& dialog) {
        ASSERT_TRUE(SpinUntil([&] { return Enabled(dialog, kChannelA); }, 10000));
        ASSERT_TRUE(SpinUntil([&] { return ChannelText(dialog, 1).contains(QStringLiteral("N/A")); }, 5000));
        Type(dialog, kDuration, "10");
        Click(dialog, kChannelA);
        Click(dialog, kChannelA + 2);
        Click(dialog, kStartStop);
        Spin(3500);
        EXPECT_TRUE(dialog.grab().save(dir.filePath(QStringLiteral("addin_measure.png"))));
        Click(dialog, kStartStop);
        dialog.close();
    });
    Call("PVMeasureDialog", {0});

    WhenModal(kCurveDialog, [&](QDialog& dialog) {
        Spin(100);
        EXPECT_TRUE(dialog.grab().save(dir.filePath(QStringLiteral("addin_curve.png"))));
        Click(dialog, kOk);
    });
    std::vector<double> x, y;
    for (int i = 0; i < 20; ++i) {
        x.push_back(0.5 * i);
        y.push_back(3.0 * std::exp(0.2 * x.back()) + 1.0);
    }
    std::vector<char> out(8192, 0);
    host_->AddIn()->AnalyzeData(0, 19, 20, 4, 4, x.data(), y.data(), out.data());
    ASSERT_EQ(Call("PVAnalyzeDialog", {0}), 1);
    QWidget* detail = ShownWindow(kDetailWindow);
    ASSERT_TRUE(detail);
    Spin(100);
    EXPECT_TRUE(detail->grab().save(dir.filePath(QStringLiteral("addin_analysis.png"))));
}

}  // namespace
