#include "ToolkitTestSupport.h"

#include "platform/Clock.h"
#include "uikit/button/CButtonST.h"
#include "uikit/common/DoubleTap.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace {

using uikit::CVRDCommonBase;

TEST(TapMemory, SecondTapCloseInTimeAndPlaceIsADoubleTap)
{
    struct Row {
        uint16_t x, y;
        uint32_t tick;
        bool twice;
    };
    // One sequence: each row is compared with the row before it.
    const Row rows[] = {
        {0, 0, 5, false},            // the very first tap, at (0, 0) right after tick 0, passes
        {10, 0, 155, true},          // 150 ms and 10 px later
        {10, 0, 405, false},         // 250 ms later
        {29, 0, 450, true},          // 45 ms and 19 px later
        {29, 25, 460, false},        // 25 px down
        {29, 25, 0xFFFFFFF0u, false},
        {30, 30, 0x40, true},        // 80 ms across the wrap of the tick
    };
    uikit::TapMemory taps;
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        EXPECT_EQ(taps.Tap(r.x, r.y, r.tick), r.twice);
    }
}

// A root window with two pages; the front one holds a text field and a skinned button.
class KeyFilterTest : public toolkittest::CommonServicesTest {
protected:
    using Page = toolkittest::RecordingPage;

    void AddServices(uikit::CommonServices& services) override
    {
        services.makeMainMenu = [this](QWidget* front) {
            ++menusMade_;
            menuFront_ = front;
            auto* menu = new QWidget(root_.get());
            menu->setGeometry(20, 460, 760, 130);
            new uikit::CButtonST(menu);
            return menu;
        };
    }
    void SetUp() override
    {
        CommonServicesTest::SetUp();
        platform::SetClock(&clock_);
        root_ = std::make_unique<QWidget>();
        root_->resize(800, 600);
        front_ = new Page(root_.get());
        front_->setGeometry(0, 0, 800, 600);
        field_ = new QLineEdit(front_);
        field_->setGeometry(10, 10, 200, 30);
        button_ = new uikit::CButtonST(front_);
        button_->setGeometry(300, 300, 90, 30);
        root_->show();
        CVRDCommonBase::SetScreen(0, root_.get());
        CVRDCommonBase::SetFrontScreen(front_);
        CVRDCommonBase::SetKeyFilterEnabled(true);
        Connect(0, u"Pressure");
    }
    void TearDown() override
    {
        CVRDCommonBase::SetKeyFilterEnabled(false);
        root_.reset();
        platform::SetClock(nullptr);
        CommonServicesTest::TearDown();
    }
    void Key(QWidget* to, int key) { QTest::keyClick(to, Qt::Key(key)); }
    std::vector<int> Posted()
    {
        toolkittest::Spin(20);
        return front_->codes;
    }

    platform::ManualClock clock_{1000};
    std::unique_ptr<QWidget> root_;
    Page* front_ = nullptr;
    QLineEdit* field_ = nullptr;
    uikit::CButtonST* button_ = nullptr;
    int menusMade_ = 0;
    QWidget* menuFront_ = nullptr;
};

TEST_F(KeyFilterTest, TextFieldsKeepTheirKeys)
{
    field_->setFocus();
    QTest::keyClicks(field_, QStringLiteral("Ms Kim"));
    EXPECT_EQ(field_->text(), QStringLiteral("Ms Kim"));
    Key(field_, Qt::Key_Left);  // moves the cursor, resets nothing
    EXPECT_EQ(Sensor().connected(0), 1);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(KeyFilterTest, KeysTheScreenLeavesAreTheFiltersAndAreConsumed)
{
    button_->setFocus();
    Key(button_, Qt::Key_Escape);
    EXPECT_EQ(Posted(), std::vector<int>{uikit::WM_KEY_ESCAPE});

    Key(button_, Qt::Key_Left);
    EXPECT_EQ(Sensor().connected(0), 0);
    EXPECT_EQ(Sensor().lastPresence(0), 0);  // the next poll detects it again
    EXPECT_EQ(Posted().back(), uikit::WM_CALIBRATION_RESET);

    front_->codes.clear();
    Key(button_, Qt::Key_Up);
    Key(button_, Qt::Key_A);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(KeyFilterTest, LeftDoesNotResetWhileARunOrAWorkerHoldsTheSensor)
{
    button_->setFocus();
    for (uikit::SensorUse use : {uikit::SensorUse::Recording, uikit::SensorUse::Worker}) {
        CVRDCommonBase::BeginSensorUse(use);
        Key(button_, Qt::Key_Left);
        EXPECT_EQ(Sensor().connected(0), 1);
        EXPECT_TRUE(Posted().empty());
        CVRDCommonBase::EndSensorUse(use);
    }
    Key(button_, Qt::Key_Left);
    EXPECT_EQ(Sensor().connected(0), 0);
}

TEST_F(KeyFilterTest, EnterShowsTheMenuWhichThenHasTheKeys)
{
    button_->setFocus();
    Key(button_, Qt::Key_Return);
    ASSERT_TRUE(CVRDCommonBase::IsMainMenuShown());
    EXPECT_EQ(menuFront_, front_);
    QWidget* menu = CVRDCommonBase::GetMainMenu();
    Key(button_, Qt::Key_Escape);
    Key(button_, Qt::Key_Left);
    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(Sensor().connected(0), 1);

    // A tap on the menu leaves it up; a tap elsewhere hides it.
    QTest::mouseClick(menu->findChild<uikit::CButtonST*>(), Qt::LeftButton);
    EXPECT_TRUE(CVRDCommonBase::IsMainMenuShown());
    clock_.Advance(1000);
    QTest::mouseClick(front_, Qt::LeftButton, {}, QPoint(600, 100));
    EXPECT_FALSE(CVRDCommonBase::IsMainMenuShown());
    EXPECT_FALSE(menu->isVisible());

    // Made once, shown again.
    Key(button_, Qt::Key_Enter);
    EXPECT_TRUE(CVRDCommonBase::IsMainMenuShown());
    EXPECT_EQ(menusMade_, 1);
    // A menu that hid itself gives the keys back.
    menu->hide();
    Key(button_, Qt::Key_Escape);
    EXPECT_EQ(Posted(), std::vector<int>{uikit::WM_KEY_ESCAPE});
}

TEST_F(KeyFilterTest, AModalBoxTakesKeysAndTaps)
{
    QDialog modal(root_.get());
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    EXPECT_EQ(CVRDCommonBase::FilterKeyMessage(root_.get(), &left), 0);
    EXPECT_EQ(Sensor().connected(0), 1);
    modal.hide();
    EXPECT_EQ(CVRDCommonBase::FilterKeyMessage(root_.get(), &left), 1);
    EXPECT_EQ(Sensor().connected(0), 0);
}

TEST_F(KeyFilterTest, TheSecondOfTwoQuickTapsIsSwallowed)
{
    QSignalSpy clicks(button_, &QAbstractButton::clicked);
    QTest::mouseClick(button_, Qt::LeftButton);
    clock_.Advance(150);
    QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(55, 15));
    EXPECT_EQ(clicks.count(), 1);
    clock_.Advance(250);
    QTest::mouseClick(button_, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(KeyFilterTest, TheMenuIsNeverFreedTwice)
{
    CVRDCommonBase::ShowMainMenu();
    QPointer<QWidget> menu = CVRDCommonBase::GetMainMenu();
    ASSERT_TRUE(menu);
    // Deleting a screen leaves the menu alone (it is the root's child, not the screen's).
    delete front_;
    front_ = nullptr;
    EXPECT_TRUE(menu);
    // The root going first takes the menu with it; shut-down then has nothing left to free.
    root_.reset();
    EXPECT_FALSE(menu);
    EXPECT_EQ(CVRDCommonBase::GetMainMenu(), nullptr);
    CVRDCommonBase::Shutdown();
    ASSERT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
}

TEST_F(KeyFilterTest, ShutdownFreesAMenuThatHasNoParent)
{
    Restart([](uikit::CommonServices& services) { services.makeMainMenu = [](QWidget*) { return new QWidget; }; });
    CVRDCommonBase::ShowMainMenu();
    QPointer<QWidget> menu = CVRDCommonBase::GetMainMenu();
    ASSERT_TRUE(menu);
    CVRDCommonBase::Shutdown();
    EXPECT_FALSE(menu);
    ASSERT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
}

TEST_F(KeyFilterTest, FilterActsOnlyOnceEnabled)
{
    CVRDCommonBase::SetKeyFilterEnabled(false);
    button_->setFocus();
    Key(button_, Qt::Key_Left);
    EXPECT_EQ(Sensor().connected(0), 1);
    EXPECT_TRUE(Posted().empty());
}

}  // namespace
