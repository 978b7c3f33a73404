#include "firmware/CCorvikFirmwareUpgradeDlg.h"

#include "FlowTestSupport.h"

#include "uikit/button/CButtonST.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace firmware;
using fwtest::FlowRig;
using fwtest::ImageFolder;
using fwtest::Logger;

namespace {

// The real window against the simulated logger, offscreen, with a chooser that answers for the
// user.
class UpgradeDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<CCorvikFirmwareUpgradeDlg> Open(QString chosen)
    {
        CCorvikFirmwareUpgradeDlg::Options o;
        o.flow = FlowRig::DefaultOptions();
        o.pictureSet = QStringLiteral(CORVIK_DATA_DIR "/") + QString::fromLatin1(uikit::kFirmwareBitmapsName);
        o.chooser = [this, chosen](QWidget*) {
            ++chooserCalls_;
            return chosen;
        };
        auto dialog = std::make_unique<CCorvikFirmwareUpgradeDlg>(firmware::FlatUpgradeDevice(), o);
        dialog->show();
        EXPECT_TRUE(fwtest::WaitUntil([&] { return dialog->Flow().StartupDone(); }));
        return dialog;
    }

    FlowRig rig_{Logger(0, 41)};
    int chooserCalls_ = 0;
};

}  // namespace

TEST_F(UpgradeDialogTest, ChosenPairIsWrittenOnTheTimerAndTheWindowWaitsForIt)
{
    ImageFolder images(5000);
    auto dialog = Open(images.PathA());
    EXPECT_EQ(dialog->size(), QSize(673, 405));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Corvik Upgrade"));
    uikit::CButtonST* open = dialog->Button(UpgradeFlow::kOpenButton);
    uikit::CButtonST* upgrade = dialog->Button(UpgradeFlow::kUpgradeButton);
    EXPECT_EQ(open->geometry(), QRect(31, 58, 160, 100));
    EXPECT_EQ(upgrade->geometry(), QRect(31, 304, 160, 78));
    EXPECT_EQ(dialog->Progress()->geometry(), QRect(240, 350, 400, 30));
    EXPECT_TRUE(open->isEnabled());
    EXPECT_TRUE(dialog->Button(UpgradeFlow::kDownloadButton)->isEnabled());
    EXPECT_FALSE(upgrade->isEnabled());
    EXPECT_EQ(upgrade->CurrentSlot(), uikit::CButtonST::kSlotDisabled);

    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(chooserCalls_, 1);
    ASSERT_TRUE(upgrade->isEnabled());
    QTest::mouseClick(upgrade, Qt::LeftButton);
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(upgrade->isEnabled());
    // Neither Escape nor closing ends the window in the middle of a write.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    QCloseEvent close;
    QCoreApplication::sendEvent(dialog.get(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(dialog->isVisible());

    ASSERT_TRUE(fwtest::WaitUntil([&] { return !dialog->Flow().Writing(); }, 5000));
    EXPECT_EQ(dialog->Flow().StatusText(), dialog->Flow().Text(7));
    EXPECT_EQ(rig_.Sim().Device().Verdict().image, images.a);
    EXPECT_EQ(dialog->Progress()->value(), 3);
    EXPECT_FALSE(upgrade->isEnabled());
    EXPECT_TRUE(open->isEnabled());

    const QImage picture = dialog->grab().toImage();
    EXPECT_EQ(picture.size(), QSize(673, 405));
    picture.save(QStringLiteral(CORVIK_BINARY_DIR "/firmware_upgrade_done.png"));

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(UpgradeDialogTest, ACancelledChooserChangesNothing)
{
    auto dialog = Open(QString());
    QTest::mouseClick(dialog->Button(UpgradeFlow::kOpenButton), Qt::LeftButton);
    EXPECT_EQ(chooserCalls_, 1);
    EXPECT_TRUE(dialog->Flow().InfoText().isEmpty());
    EXPECT_FALSE(dialog->Button(UpgradeFlow::kUpgradeButton)->isEnabled());
}

TEST_F(UpgradeDialogTest, TheAboutBoxNamesTheToolAndItsVersion)
{
    auto dialog = Open(QString());
    QDialog* about = dialog->ShowAbout();
    ASSERT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About CorvikFirmwareUpgrade"));
    const auto labels = about->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QStringLiteral("CorvikFirmwareUpgrade, Version 1.0"));
    about->accept();
    EXPECT_FALSE(about->isVisible());
}

// A cable pulled mid-write and a logger that stays away: the next press says what to do, and the
// progress bar of the failed write does not stay behind.
TEST_F(UpgradeDialogTest, APressAfterThePulledCableSaysToReconnectTheLogger)
{
    ImageFolder images(5000);
    auto dialog = Open(images.PathA());
    uikit::CButtonST* open = dialog->Button(UpgradeFlow::kOpenButton);
    uikit::CButtonST* upgrade = dialog->Button(UpgradeFlow::kUpgradeButton);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(rig_.Sim().AddFault("0x1000001F disconnect"));
    QTest::mouseClick(upgrade, Qt::LeftButton);
    ASSERT_TRUE(fwtest::WaitUntil([&] { return !dialog->Flow().Writing(); }, 5000));
    EXPECT_EQ(dialog->Flow().StatusText(), dialog->Flow().Text(6));
    rig_.Sim().Stop();

    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(upgrade->isEnabled());
    QTest::mouseClick(upgrade, Qt::LeftButton);
    EXPECT_EQ(dialog->Progress()->value(), 0);
    ASSERT_TRUE(fwtest::WaitUntil([&] { return dialog->Flow().StatusText() == dialog->Flow().Text(12); }, 5000));
    EXPECT_TRUE(upgrade->isEnabled());

    const QImage picture = dialog->grab().toImage();
    picture.save(QStringLiteral(CORVIK_BINARY_DIR "/firmware_reconnect_logger.png"));
}
