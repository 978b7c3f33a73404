// The options dialog offscreen, on the in-memory registry, a fake clock and an event of its own.

#include "FakeClockSetter.h"
#include "HelpOptionsTestSupport.h"

#include "logger/shell/CProgramOptDlg.h"
#include "logger/shell/HelpOptionsTexts.h"
#include "platform/NamedEvent.h"
#include "platform/Text.h"
#include "uikit/button/CButtonST.h"
#include "uikit/registry/RegistryValues.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QTimeEdit>
#include <QTimer>

#include <cerrno>
#include <memory>

namespace {

using platform::RegistryRoot;
using shell::CProgramOptDlg;
using shell::LocalDateTime;

using helptest::FakeClockSetter;

class OptionsDialogTest : public helptest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        platform::NamedEvent::Unlink(eventName_);
        waiter_ = std::make_unique<platform::NamedEvent>(eventName_);
    }
    void TearDown() override
    {
        waiter_.reset();
        platform::NamedEvent::Unlink(eventName_);
        WidgetTest::TearDown();
    }

    shell::ProgramOptionsServices Services()
    {
        return {&clock_, platform::Utf8ToUtf16(eventName_), [this](const QString& text) { notices_.push_back(text); }};
    }
    std::unique_ptr<CProgramOptDlg> Dialog() { return std::make_unique<CProgramOptDlg>(&root_, Services()); }

    bool ReadDword(RegistryRoot root, const char* key, const char* name, uint32_t& out)
    {
        return registry_.ReadDword(root, key, name, out);
    }
    uint32_t BrightLevel()
    {
        uint32_t level = 0;
        return ReadDword(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, level) ? level : 0;
    }
    uint32_t FullScreen()
    {
        uint32_t value = 99;
        ReadDword(RegistryRoot::LocalMachine, uikit::kPlovexKey, uikit::kFullScreenValue, value);
        return value;
    }
    void StoreBrightLevel(uint32_t level)
    {
        registry_.WriteDword(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, level);
    }

    const std::string eventName_ = helptest::UniqueEventName("options");
    std::unique_ptr<platform::NamedEvent> waiter_;
    FakeClockSetter clock_;
    std::vector<QString> notices_;
};

TEST_F(OptionsDialogTest, OkWithoutAStoredLevelWritesTwoAndAStoredLevelStays)
{
    {
        auto dialog = Dialog();
        EXPECT_EQ(dialog->BackLightBox().currentIndex(), 1);
        dialog->OkButton().click();
        EXPECT_EQ(dialog->result(), CProgramOptDlg::kResultOk);
    }
    EXPECT_EQ(BrightLevel(), 2u);
    StoreBrightLevel(4);
    {
        auto dialog = Dialog();
        EXPECT_EQ(dialog->BackLightBox().currentIndex(), 3);
        dialog->OkButton().click();
    }
    EXPECT_EQ(BrightLevel(), 4u);
    StoreBrightLevel(7);  // not a level of ours: nothing is selected, so nothing is written
    Dialog()->OkButton().click();
    EXPECT_EQ(BrightLevel(), 7u);
}

TEST_F(OptionsDialogTest, FullScreenIsWrittenAndShownAsStored)
{
    auto dialog = Dialog();
    EXPECT_FALSE(dialog->FullScreenBox().isChecked());
    EXPECT_EQ(dialog->FullScreenBox().text(), uikit::CVRDCommonBase::LoadText(shell::kTextFullScreen));
    dialog->FullScreenBox().setChecked(true);
    dialog->OkButton().click();
    EXPECT_EQ(FullScreen(), 1u);
    // Reopened before the next start, it shows the choice made rather than the running mode.
    auto again = Dialog();
    EXPECT_TRUE(again->FullScreenBox().isChecked());
    again->FullScreenBox().setChecked(false);
    again->OkButton().click();
    EXPECT_EQ(FullScreen(), 0u);
}

TEST_F(OptionsDialogTest, AnEditedDateReachesTheClockWithThePickersTimeAndNoMilliseconds)
{
    auto dialog = Dialog();
    dialog->TimePicker().setTime(QTime(14, 35, 27, 880));
    dialog->DatePicker().setDate(QDate(2027, 5, 6));
    EXPECT_TRUE(dialog->PickerEdited());
    dialog->OkButton().click();
    ASSERT_EQ(clock_.calls.size(), 1u);
    const LocalDateTime& set = clock_.calls[0];
    EXPECT_EQ(set.year, 2027);
    EXPECT_EQ(set.month, 5);
    EXPECT_EQ(set.day, 6);
    EXPECT_EQ(set.hour, 14);
    EXPECT_EQ(set.minute, 35);
    EXPECT_EQ(set.second, 27);
    EXPECT_EQ(set.millisecond, 0);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(OptionsDialogTest, OkOnAnUnchangedDialogLeavesTheClockAlone)
{
    auto dialog = Dialog();
    helptest::Spin(30);  // the time the dialog stands open
    dialog->OkButton().click();
    EXPECT_TRUE(clock_.calls.empty());
    EXPECT_FALSE(dialog->Outcome().clockChanged);
}

TEST_F(OptionsDialogTest, AClockThatCannotBeSetIsShownAndTheRestApplies)
{
    clock_.result = EPERM;
    auto dialog = Dialog();
    dialog->DatePicker().setDate(dialog->DatePicker().date().addDays(1));
    dialog->FullScreenBox().setChecked(true);
    dialog->OkButton().click();
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], uikit::CVRDCommonBase::LoadText(shell::kTextClockNotSet));
    EXPECT_FALSE(notices_[0].isEmpty());
    EXPECT_EQ(FullScreen(), 1u);
    EXPECT_EQ(BrightLevel(), 2u);
    EXPECT_EQ(dialog->result(), CProgramOptDlg::kResultOk);
}

TEST_F(OptionsDialogTest, OkSignalsTheEventAndCancelWritesNothing)
{
    {
        auto dialog = Dialog();
        dialog->DatePicker().setDate(QDate(2030, 1, 2));
        dialog->FullScreenBox().setChecked(true);
        dialog->CancelButton().click();
        EXPECT_EQ(dialog->result(), CProgramOptDlg::kResultCancel);
    }
    EXPECT_TRUE(clock_.calls.empty());
    EXPECT_EQ(BrightLevel(), 0u) << "no level written";
    EXPECT_EQ(FullScreen(), 0u);
    EXPECT_FALSE(waiter_->Wait(50));

    Dialog()->OkButton().click();
    EXPECT_TRUE(waiter_->Wait(500));
}

TEST_F(OptionsDialogTest, RunProgramOptionsUsesTheGivenServicesAndGivesOneForOk)
{
    for (const bool ok : {true, false}) {
        QTimer::singleShot(0, [ok] {
            auto* dialog = qobject_cast<CProgramOptDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->DatePicker().setDate(QDate(2029, 9, 9));
            (ok ? dialog->OkButton() : dialog->CancelButton()).click();
        });
        EXPECT_EQ(shell::RunProgramOptions(&root_, Services()), ok ? 1 : 2);
    }
    ASSERT_EQ(clock_.calls.size(), 1u);
    EXPECT_EQ(clock_.calls[0].year, 2029);
    EXPECT_TRUE(waiter_->Wait(500));
}

TEST_F(OptionsDialogTest, LayoutAndPicture)
{
    auto dialog = Dialog();
    EXPECT_EQ(dialog->size(), QSize(320, 214));
    EXPECT_EQ(dialog->OkButton().geometry(), QRect(248, 190, 24, 22));
    EXPECT_EQ(dialog->CancelButton().geometry(), QRect(280, 190, 24, 22));
    EXPECT_EQ(dialog->DatePicker().geometry(), QRect(20, 43, 110, 25));
    EXPECT_EQ(dialog->TimePicker().geometry(), QRect(140, 43, 130, 25));
    EXPECT_TRUE(dialog->BackLightBox().isHidden());
    dialog->TimePicker().setTime(QTime(10, 25, 40));
    dialog->DatePicker().setDate(QDate(2026, 9, 14));
    dialog->show();
    const QImage picture = dialog->grab().toImage();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
    EXPECT_TRUE(picture.save(QStringLiteral(CORVIK_PICTURE_DIR "/dialog_options.png")));
    dialog->reject();
}

}  // namespace
