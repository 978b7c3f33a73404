#include "logger/shell/core/HelpHistory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using shell::HelpHistory;

std::u16string Page(int i)
{
    std::u16string page = u"/data/Sensors/page";
    for (char c : std::to_string(i))
        page += char16_t(c);
    return page + u".html";
}

TEST(HelpHistory, OpeningStartsAfreshAndBackStaysOnTheOpenedPage)
{
    HelpHistory history;
    history.Open(Page(1));
    history.FollowLink(Page(2));
    history.FollowLink(Page(3));
    history.Open(u"/data/Sensors/N11.html");
    EXPECT_EQ(history.Count(), 1);
    EXPECT_EQ(history.Position(), 0);
    EXPECT_EQ(history.Back(), nullptr);
    EXPECT_EQ(history.Forward(), nullptr);
    EXPECT_EQ(history.Current().address, u"/data/Sensors/N11.html");
    EXPECT_TRUE(history.At(1).address.empty()) << "what came before the new page is gone";
}

TEST(HelpHistory, TitlesBelongToTheirEntryAndNeverAddOne)
{
    HelpHistory history;
    history.SetTitle(u"ignored while empty");
    EXPECT_TRUE(history.Empty());
    history.Open(Page(1));
    history.SetTitle(u"Barometer");
    history.SetTitle(u"Barometer");
    EXPECT_EQ(history.Count(), 1);
    history.FollowLink(Page(2));
    history.SetTitle(u"Quick Start Guide");
    ASSERT_NE(history.Back(), nullptr);
    history.SetTitle(u"Barometer");  // the page shown again reports its title again
    EXPECT_EQ(history.Count(), 2);
    EXPECT_EQ(history.At(0).title, u"Barometer");
    EXPECT_EQ(history.At(1).title, u"Quick Start Guide");
}

TEST(HelpHistory, BackAndForwardMoveThroughStoredAddresses)
{
    HelpHistory history;
    history.Open(Page(0));
    for (int i = 1; i <= 3; ++i)
        history.FollowLink(Page(i));
    const std::u16string* to = history.Back();
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(*to, Page(2));
    EXPECT_EQ(*history.Back(), Page(1));
    EXPECT_EQ(*history.Forward(), Page(2));
    EXPECT_EQ(*history.Forward(), Page(3));
    EXPECT_EQ(history.Forward(), nullptr);
    EXPECT_EQ(history.Position(), 3);
    EXPECT_EQ(history.Count(), 4);

    // A link followed after going back drops what lay forward.
    history.Back();
    history.Back();
    history.FollowLink(Page(9));
    EXPECT_EQ(history.Count(), 3);
    EXPECT_EQ(history.Position(), 2);
    EXPECT_EQ(history.Forward(), nullptr);
    EXPECT_EQ(*history.Back(), Page(1));
}

TEST(HelpHistory, KeepsSixtyFourEntriesAndReplacesTheLastWhenFull)
{
    HelpHistory history;
    history.Open(Page(0));
    for (int i = 1; i <= 70; ++i)
        history.FollowLink(Page(i));
    EXPECT_EQ(history.Count(), HelpHistory::kCapacity);
    EXPECT_EQ(history.Position(), HelpHistory::kCapacity - 1);
    EXPECT_EQ(history.Current().address, Page(70));
    EXPECT_EQ(*history.Back(), Page(62)) << "the entries before the last one are kept as they were";
    for (int i = 0; i < 100; ++i)
        history.Back();
    EXPECT_EQ(history.Position(), 0);
    EXPECT_EQ(history.Current().address, Page(0));
}

TEST(HelpHistory, ALinkBeforeAnythingWasOpenedOpensIt)
{
    HelpHistory history;
    history.FollowLink(Page(5));
    EXPECT_EQ(history.Count(), 1);
    EXPECT_EQ(history.Position(), 0);
    EXPECT_EQ(history.Current().address, Page(5));
}

}  // namespace
