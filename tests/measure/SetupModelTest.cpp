#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "logger/measure/core/MeasureSetupModel.h"
#include "logger/measure/core/MeasureTexts.h"

using namespace measure;

namespace {

class SetupModelTest : public ::testing::Test {
protected:
    SetupModelTest()
    {
        record->rate = 5;
        record->period = 200000;
        record->length = 30;
        record->stopCount = 1;
        for (int c = 0; c < 4; ++c)
            record->channelRate[c] = 100;
        Reload();
    }
    void Reload() { model.Load(*record, maxRates); }
    MeasureSetupModel::Values& v() { return model.values(); }
    std::vector<uint8_t> Bytes() const
    {
        const auto* p = reinterpret_cast<const uint8_t*>(record.get());
        return {p, p + sizeof *record};
    }

    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();
    int32_t maxRates[4] = {500, 10000, 0, 0};
    MeasureSetupModel model;
};

TEST_F(SetupModelTest, RatesInEachUnit)
{
    struct Case {
        const char16_t* text;
        int unit;
        int32_t rate, period;
    };
    const Case cases[] = {{u"20", kRateMilliseconds, 50, 20000}, {u"500", kRateMicroseconds, 2000, 500},
                          {u"1000", kRateHertz, 1000, 1000}, {u"1000", kRateMilliseconds, 1, 1000000},
                          {u"100", kRateMicroseconds, 10000, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        Reload();
        v().rate = c.text;
        v().rateUnit = c.unit;
        ASSERT_EQ(model.Apply(*record), text::kNone);
        EXPECT_EQ(record->rate, c.rate);
        EXPECT_EQ(record->period, c.period);
    }
}

// A rate of 0, or a period above a second, has no rate at all; such an OK changes nothing.
TEST_F(SetupModelTest, RatesOutsideTheRangeAreRefusedAndChangeNothing)
{
    struct Case {
        const char16_t* text;
        int unit;
    };
    const Case cases[] = {{u"0", kRateHertz},        {u"10001", kRateHertz},          {u"-5", kRateHertz},
                          {u"", kRateHertz},         {u"12abc", kRateHertz},          {u"1001", kRateMilliseconds},
                          {u"0", kRateMilliseconds}, {u"1000001", kRateMicroseconds}, {u"99", kRateMicroseconds}};
    for (const Case& c : cases) {
        Reload();
        v().length = u"7";
        v().rate = c.text;
        v().rateUnit = c.unit;
        const std::vector<uint8_t> before = Bytes();
        EXPECT_EQ(model.Apply(*record), text::kRateOutOfRange);
        EXPECT_EQ(Bytes(), before);
    }
}

TEST_F(SetupModelTest, UnitChangesKeepThePeriod)
{
    struct Case {
        const char16_t* text;
        int from, to;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"50", kRateHertz, kRateMilliseconds, u"20"},          {u"20", kRateMilliseconds, kRateHertz, u"50"},
        {u"500", kRateHertz, kRateMicroseconds, u"2000"},       {u"2000", kRateMicroseconds, kRateHertz, u"500"},
        {u"3", kRateMilliseconds, kRateMicroseconds, u"3000"},  {u"2500", kRateMicroseconds, kRateMilliseconds, u"3"},
        {u"3000", kRateHertz, kRateMilliseconds, u"1"},         {u"0", kRateHertz, kRateMilliseconds, u"0"},
        {u"x", kRateHertz, kRateMicroseconds, u"x"},            {u"300", kRateHertz, kRateMilliseconds, u"3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::u16string(c.text).size());
        EXPECT_EQ(MeasureSetupModel::ConvertRate(c.text, c.from, c.to), c.expected);
    }
    Reload();
    v().rate = u"50";
    model.SetRateUnit(kRateMilliseconds);
    EXPECT_EQ(v().rate, u"20");
    EXPECT_EQ(v().rateUnit, kRateMilliseconds);
    model.SetChannelUnit(1, kRateMicroseconds);
    EXPECT_EQ(v().channelRate[1], u"10000");
}

TEST_F(SetupModelTest, LengthsShownInMinutesAboveAMinute)
{
    record->length = 60;
    Reload();
    EXPECT_EQ(v().length, u"60");
    EXPECT_EQ(v().lengthUnit, kLengthSeconds);
    record->length = 61;
    Reload();
    EXPECT_EQ(v().length, u"1");
    EXPECT_EQ(v().lengthUnit, kLengthMinutes);

    v().length = u"2";
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->length, 120);
    Reload();
    EXPECT_EQ(v().length, u"2");
    EXPECT_EQ(v().lengthUnit, kLengthMinutes);
}

// 90 s shows as "1 minute": an OK that did not touch the length keeps 90.
TEST_F(SetupModelTest, AnUneditedLengthIsNotWrittenBack)
{
    record->length = 90;
    Reload();
    ASSERT_EQ(v().length, u"1");
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->length, 90);
    // Switching to seconds and back is an edit of the unit.
    model.SetLengthUnit(kLengthSeconds);
    EXPECT_EQ(v().length, u"60");
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->length, 60);
}

TEST_F(SetupModelTest, LengthAndRepeatBounds)
{
    const struct {
        const char16_t* length;
        int unit;
        bool ok;
    } lengths[] = {{u"0", kLengthSeconds, false},        {u"1048576", kLengthSeconds, true},
                   {u"1048577", kLengthSeconds, false},  {u"17476", kLengthMinutes, true},
                   {u"17477", kLengthMinutes, false},    {u"2147483647", kLengthMinutes, false},
                   {u"99999999999", kLengthSeconds, false}};
    for (const auto& c : lengths) {
        Reload();
        v().length = c.length;
        v().lengthUnit = c.unit;
        EXPECT_EQ(model.Apply(*record), c.ok ? text::kNone : text::kLengthOutOfRange) << int(c.unit);
        if (c.ok) {
            EXPECT_GT(record->length, 0);
        }
    }
    for (const char16_t* repeat : {u"1", u"101", u""}) {
        Reload();
        v().endOfRun = kEndAfterRepeats;
        v().repeat = repeat;
        EXPECT_EQ(model.Apply(*record), text::kRepeatOutOfRange);
    }
    Reload();
    v().endOfRun = kEndAfterRepeats;
    v().repeat = u"100";
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->stopCount, 100);
    Reload();
    EXPECT_EQ(v().endOfRun, kEndAfterRepeats);
    EXPECT_TRUE(model.RepeatEnabled());
    v().endOfRun = kEndWhenStopped;
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->stopCount, 0);
    Reload();
    EXPECT_EQ(v().endOfRun, kEndWhenStopped);
    v().markerSpacing = u"1001";
    EXPECT_EQ(model.Apply(*record), text::kMarkerOutOfRange);
}

TEST_F(SetupModelTest, NonTimedModesCountSamplesAtOneHertz)
{
    record->length = 120;
    Reload();
    model.SetMode(1);
    EXPECT_FALSE(model.RateControlsEnabled());
    EXPECT_EQ(v().lengthUnit, kLengthSeconds);
    v().length = u"25";
    v().rate = u"0";   // disabled, not read
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->mode, 1);
    EXPECT_EQ(record->rate, 1);
    EXPECT_EQ(record->length, 25);
}

TEST_F(SetupModelTest, PerChannelRatesOfChannelsWithASensor)
{
    Reload();
    v().perChannel = true;
    v().channelRate[0] = u"2";
    v().channelUnit[0] = kRateMilliseconds;
    v().channelRate[1] = u"250";
    v().channelRate[2] = u"0";   // no sensor there: the row is disabled and not read
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(record->perChannelRates, 1);
    EXPECT_EQ(record->channelRate[0], 500);
    EXPECT_EQ(record->channelPeriod[0], 2000);
    EXPECT_EQ(record->channelRate[1], 250);
    EXPECT_EQ(record->channelPeriod[1], 4000);
    EXPECT_EQ(record->channelRate[2], 100);
    EXPECT_EQ(model.ChannelCaption(0), u"ch[A] ( 1~500 Hz )");
    EXPECT_EQ(model.ChannelCaption(2), u"ch[C]");
    EXPECT_FALSE(model.ChannelRowEnabled(3));

    v().channelRate[1] = u"0";
    EXPECT_EQ(model.Apply(*record), text::kChannelRateOutOfRange);
}

TEST_F(SetupModelTest, TitlesAreCutToTheirField)
{
    v().title = std::u16string(31, u'a') + u"\U0001F600";   // the pair would be units 32 and 33
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(project::RunTitle(*record), std::u16string(31, u'a'));
    v().title.clear();
    ASSERT_EQ(model.Apply(*record), text::kNone);
    EXPECT_EQ(project::RunTitle(*record), std::u16string(31, u'a'));
}

}  // namespace
