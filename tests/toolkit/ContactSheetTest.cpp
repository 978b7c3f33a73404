// Renders every message-box type and the button states through the real classes into one
// picture in the build tree (pictures/toolkit_contact_sheet.png), for review; the reviewed copy
// lives in docs/images.
#include "ToolkitTestSupport.h"

#include "platform/Event.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QPainter>

namespace {

using uikit::CButtonST;
using uikit::CMessageBoxDlg;
using uikit::CVRDCommonBase;

class ContactSheetTest : public toolkittest::CommonServicesTest {
protected:
    QImage GrabBox(int type, const QString& text1 = {}, const QString& text2 = {})
    {
        CMessageBoxDlg box(nullptr, type, text1, text2);
        box.show();
        toolkittest::Spin(10);
        return box.grab().toImage();
    }
    // A detection box, held while it is drawn.
    QImage GrabDetecting(int type)
    {
        platform::Event release(platform::Event::Kind::ManualReset);
        uikit::MessageBoxServices services;
        services.detect = [&release](devicelink::CNI2CSensor&, std::u16string&) {
            release.Wait();
            return 1;
        };
        QImage image;
        {
            CMessageBoxDlg box(nullptr, type, {}, {}, services);
            box.show();
            toolkittest::Spin(10);
            image = box.grab().toImage();
            release.Set();
        }
        return image;
    }
    // A detection box as it shows its result, the way the device poll gets there.
    QImage GrabReport(int startType, int32_t result, int endType)
    {
        uikit::MessageBoxServices services;
        services.detect = [result](devicelink::CNI2CSensor&, std::u16string& text) {
            text = u"Pressure sensor";
            return result;
        };
        CMessageBoxDlg box(nullptr, startType, {}, {}, services);
        box.show();
        EXPECT_TRUE(toolkittest::SpinUntil([&] { return box.Type() == endType; }));
        toolkittest::Spin(10);
        return box.grab().toImage();
    }
    QImage GrabButton(const std::function<void(CButtonST&)>& state)
    {
        QWidget page;
        page.resize(110, 40);
        page.setAutoFillBackground(true);
        QPalette palette = page.palette();
        palette.setColor(QPalette::Window, QColor(0xF3, 0xF5, 0xF9));
        page.setPalette(palette);
        auto* button = new CButtonST(&page);
        button->setGeometry(10, 5, 90, 30);
        uikit::ResourceModule& bitmaps = uikit::BitmapModule();
        button->SetBitmaps(bitmaps.Bitmap(2065), uikit::kSkinKey, bitmaps.Bitmap(2067), uikit::kSkinKey, QPixmap(),
                           uikit::kSkinKey, bitmaps.Bitmap(2066), uikit::kSkinKey);
        const QFont font = uikit::MakeFont(QStringLiteral("Malgun Gothic"), 20, false);
        button->SetCaption(CVRDCommonBase::LoadText(2034, 32), &font, uikit::kFormatCentredLine, 0, 0, 90, 30,
                           0x140000);
        page.show();
        state(*button);
        toolkittest::Spin(10);
        return page.grab().toImage();
    }
};

TEST_F(ContactSheetTest, MessageBoxTypesAndButtonStates)
{
    Connect(0, u"Pressure");
    Connect(2, u"Temperature");
    struct Tile {
        QString label;
        QImage image;
    };
    std::vector<Tile> boxes = {
        {QStringLiteral("type 0: sensor attached, checking"), GrabDetecting(0)},
        {QStringLiteral("type 1: sensor removed, checking"), GrabDetecting(1)},
        {QStringLiteral("type 2: sensors identified (1 s)"), GrabReport(0, 1, 2)},
        {QStringLiteral("type 3: check failed, OK (5 s)"), GrabReport(0, -1, 3)},
        {QStringLiteral("type 4: sensor removed (1 s)"), GrabReport(1, 0, 4)},
        {QStringLiteral("type 5: check the logger (1 s)"), GrabBox(5)},
        {QStringLiteral("type 6: notice with OK (5 s)"),
         GrabBox(6, QStringLiteral("The project was saved to the working copy."), QStringLiteral("temp_project.vrd"))},
        {QStringLiteral("type 7: question (5 s, then Cancel)"),
         GrabBox(7, QStringLiteral("Delete run 2?"), QStringLiteral("It cannot be undone."))},
        {QStringLiteral("type 8: OK and Cancel, no text"), GrabBox(8)},
    };
    std::vector<Tile> buttons = {
        {QStringLiteral("normal"), GrabButton([](CButtonST&) {})},
        {QStringLiteral("pressed"), GrabButton([](CButtonST& b) { b.setDown(true); })},
        {QStringLiteral("disabled"), GrabButton([](CButtonST& b) { b.setEnabled(false); })},
        {QStringLiteral("check box, checked"), GrabButton([](CButtonST& b) {
             b.SetCheckBoxMode(true);
             b.SetCheck(1);
         })},
        {QStringLiteral("check box, unchecked"), GrabButton([](CButtonST& b) { b.SetCheckBoxMode(true); })},
        {QStringLiteral("focus rectangle"), GrabButton([](CButtonST& b) {
             b.SetFlatFocus(true);
             b.setFocus();
         })},
    };
    for (const Tile& t : boxes)
        EXPECT_EQ(t.image.size(), QSize(500, 300)) << t.label.toStdString();

    const int cell = 520, rowHeight = 330;
    QImage sheet(3 * cell + 20, 40 + 3 * rowHeight + 90, QImage::Format_RGB32);
    sheet.fill(QColor(0x9A, 0xA4, 0xB0));
    QPainter painter(&sheet);
    painter.setFont(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 18, true));
    painter.drawText(20, 28, QStringLiteral("Message box types and button states"));
    painter.setFont(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 14, false));
    for (size_t i = 0; i < boxes.size(); ++i) {
        const int x = 20 + int(i % 3) * cell, y = 40 + int(i / 3) * rowHeight;
        painter.drawImage(x, y, boxes[i].image);
        painter.drawText(x, y + 318, boxes[i].label);
    }
    const int buttonsTop = 40 + 3 * rowHeight;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const int x = 20 + int(i) * 180;
        painter.drawImage(x, buttonsTop, buttons[i].image);
        painter.drawText(x, buttonsTop + 60, buttons[i].label);
    }
    painter.end();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
    EXPECT_TRUE(sheet.save(QStringLiteral(CORVIK_PICTURE_DIR "/toolkit_contact_sheet.png")));
}

}  // namespace
