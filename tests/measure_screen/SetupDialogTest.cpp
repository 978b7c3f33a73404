// The measurement set-up dialog through its controls: unit changes, refused entries, and what OK
// writes into the data set.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "logger/measure/CMeasurSetup1Dlg.h"
#include "logger/measure/core/MeasureTexts.h"
#include "tests/measure/MeasureTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "uikit/button/CButtonST.h"

namespace {

using measure::CMeasurSetup1Dlg;
namespace text = measure::text;

class SetupDialogTest : public toolkittest::CommonServicesTest {
protected:
    void SetUp() override
    {
        CommonServicesTest::SetUp();
        record = std::make_unique<project::DataSetRecord>();
        record->rate = 5;
        record->period = 200000;
        record->length = 30;
        record->stopCount = 1;
        for (int c = 0; c < 4; ++c)
            record->channelRate[c] = 5;
    }
    std::unique_ptr<CMeasurSetup1Dlg> Open()
    {
        const int32_t maxRates[4] = {500, 10000, 0, 0};
        return std::make_unique<CMeasurSetup1Dlg>(nullptr, *record, maxRates,
                                                  [this](const QString& reason) { notices.push_back(reason); });
    }
    // The user's choice in a combo box.
    static void Choose(QComboBox& box, int index)
    {
        box.setCurrentIndex(index);
        emit box.activated(index);
    }

    std::unique_ptr<project::DataSetRecord> record;
    std::vector<QString> notices;
};

TEST_F(SetupDialogTest, RateUnitsConvertByTheirTrueFactors)
{
    const struct {
        const char* entered;
        int unit;
        const char* shown;   // after switching to the next unit in the table
        int32_t rate;
        int32_t period;
    } cases[] = {
        {"20", measure::kRateMilliseconds, "20", 50, 20000},
        {"500", measure::kRateMicroseconds, "500", 2000, 500},
        {"250", measure::kRateHertz, "250", 250, 4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entered);
        auto dialog = Open();
        Choose(dialog->Combo(CMeasurSetup1Dlg::kRateUnit), c.unit);
        dialog->Edit(CMeasurSetup1Dlg::kRate).setText(QString::fromLatin1(c.entered));
        dialog->OkButton().click();
        EXPECT_EQ(dialog->result(), CMeasurSetup1Dlg::kResultOk);
        EXPECT_EQ(record->rate, c.rate);
        EXPECT_EQ(record->period, c.period);
    }

    // Switching the unit keeps the period: 20 Hz is 50 ms, 50,000 us, and 20 Hz again.
    auto dialog = Open();
    QLineEdit& rate = dialog->Edit(CMeasurSetup1Dlg::kRate);
    rate.setText(QStringLiteral("20"));
    Choose(dialog->Combo(CMeasurSetup1Dlg::kRateUnit), measure::kRateMilliseconds);
    EXPECT_EQ(rate.text(), QStringLiteral("50"));
    Choose(dialog->Combo(CMeasurSetup1Dlg::kRateUnit), measure::kRateMicroseconds);
    EXPECT_EQ(rate.text(), QStringLiteral("50000"));
    Choose(dialog->Combo(CMeasurSetup1Dlg::kRateUnit), measure::kRateHertz);
    EXPECT_EQ(rate.text(), QStringLiteral("20"));
}

// Nothing is written while an entry is out of range; the dialog stays open and says which.
TEST_F(SetupDialogTest, EntriesOutOfRangeAreRefusedWithTheirReason)
{
    const struct {
        int control;
        const char* entered;
        int unit;   // of the rate, or -1
        int reason;
    } cases[] = {
        {CMeasurSetup1Dlg::kRate, "0", measure::kRateHertz, text::kRateOutOfRange},
        {CMeasurSetup1Dlg::kRate, "2000", measure::kRateMilliseconds, text::kRateOutOfRange},
        {CMeasurSetup1Dlg::kRate, "50", measure::kRateMicroseconds, text::kRateOutOfRange},
        {CMeasurSetup1Dlg::kLength, "0", -1, text::kLengthOutOfRange},
        {CMeasurSetup1Dlg::kMarker, "1001", -1, text::kMarkerOutOfRange},
    };
    const std::vector<uint8_t> before = measuretest::BytesOf(*record);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entered);
        notices.clear();
        auto dialog = Open();
        if (c.unit >= 0)
            Choose(dialog->Combo(CMeasurSetup1Dlg::kRateUnit), c.unit);
        dialog->Edit(c.control).setText(QString::fromLatin1(c.entered));
        dialog->OkButton().click();
        EXPECT_EQ(dialog->result(), 0);   // still open
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0], uikit::CVRDCommonBase::LoadText(c.reason));
        EXPECT_EQ(measuretest::BytesOf(*record), before);
    }

    // The repeat count only counts when the run repeats: 2..100.
    auto dialog = Open();
    QComboBox& end = dialog->Combo(CMeasurSetup1Dlg::kEndOfRun);
    EXPECT_FALSE(dialog->Edit(CMeasurSetup1Dlg::kRepeat).isEnabled());
    Choose(end, measure::kEndAfterRepeats);
    EXPECT_TRUE(dialog->Edit(CMeasurSetup1Dlg::kRepeat).isEnabled());
    dialog->Edit(CMeasurSetup1Dlg::kRepeat).setText(QStringLiteral("101"));
    dialog->OkButton().click();
    EXPECT_EQ(notices.back(), uikit::CVRDCommonBase::LoadText(text::kRepeatOutOfRange));
    dialog->Edit(CMeasurSetup1Dlg::kRepeat).setText(QStringLiteral("3"));
    dialog->OkButton().click();
    EXPECT_EQ(dialog->result(), CMeasurSetup1Dlg::kResultOk);
    EXPECT_EQ(record->stopCount, 3);
}

// 90 s is shown as "1" minute; only an edit of the length or its unit writes it back.
TEST_F(SetupDialogTest, AnUneditedLengthKeepsItsSeconds)
{
    record->length = 90;
    auto dialog = Open();
    EXPECT_EQ(dialog->Edit(CMeasurSetup1Dlg::kLength).text(), QStringLiteral("1"));
    EXPECT_EQ(dialog->Combo(CMeasurSetup1Dlg::kLengthUnit).currentIndex(), measure::kLengthMinutes);
    dialog->OkButton().click();
    EXPECT_EQ(record->length, 90);

    dialog = Open();
    dialog->Edit(CMeasurSetup1Dlg::kLength).setText(QStringLiteral("2"));
    dialog->OkButton().click();
    EXPECT_EQ(record->length, 120);
    dialog = Open();
    Choose(dialog->Combo(CMeasurSetup1Dlg::kLengthUnit), measure::kLengthSeconds);
    EXPECT_EQ(dialog->Edit(CMeasurSetup1Dlg::kLength).text(), QStringLiteral("120"));
}

TEST_F(SetupDialogTest, PerChannelRowsOfChannelsWithASensor)
{
    auto dialog = Open();
    QCheckBox& perChannel = dialog->PerChannelBox();
    perChannel.click();
    EXPECT_TRUE(dialog->Edit(CMeasurSetup1Dlg::kChannelEdits[0]).isVisibleTo(dialog.get()));
    EXPECT_FALSE(dialog->Edit(CMeasurSetup1Dlg::kRate).isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->Edit(CMeasurSetup1Dlg::kChannelEdits[1]).isEnabled());
    EXPECT_FALSE(dialog->Edit(CMeasurSetup1Dlg::kChannelEdits[2]).isEnabled());
    dialog->Edit(CMeasurSetup1Dlg::kChannelEdits[0]).setText(QStringLiteral("300"));
    dialog->Edit(CMeasurSetup1Dlg::kChannelEdits[1]).setText(QStringLiteral("2"));
    Choose(dialog->Combo(CMeasurSetup1Dlg::kChannelUnits[1]), measure::kRateMilliseconds);
    dialog->OkButton().click();
    EXPECT_EQ(record->perChannelRates, 1);
    EXPECT_EQ(record->channelRate[0], 300);
    EXPECT_EQ(record->channelRate[1], 2);   // 500 ms
    EXPECT_EQ(record->channelPeriod[1], 500000);

    // Other modes have no rate of their own.
    dialog = Open();
    Choose(dialog->Combo(CMeasurSetup1Dlg::kMode), 1);
    EXPECT_FALSE(dialog->PerChannelBox().isEnabled());
    EXPECT_FALSE(dialog->Edit(CMeasurSetup1Dlg::kRate).isEnabled());
}

}  // namespace
