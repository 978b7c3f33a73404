// The note dialog through its controls, on a data set's note and on a note of a chart: line ends,
// what the field holds, sizes and where it stands.
#include <QComboBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "logger/notes/CNoteDlg.h"
#include "platform/Text.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "uikit/button/CButtonST.h"

namespace {

using notes::CNoteDlg;

class NoteDialogTest : public toolkittest::CommonServicesTest {
protected:
    void SetUp() override
    {
        CommonServicesTest::SetUp();
        owner = std::make_unique<QWidget>();
        owner->setGeometry(0, 0, 800, 600);
        project::InitNoteRecord(note);
    }
    // The user's choice of size.
    static void ChooseSize(CNoteDlg& dialog, int index)
    {
        dialog.SizeCombo().setCurrentIndex(index);
        emit dialog.SizeCombo().activated(index);
    }

    std::unique_ptr<QWidget> owner;
    project::NoteRecord note{};
    project::GraphNote chartNote{};
};

TEST_F(NoteDialogTest, LineEndsAreStoredAsTheChartReadsThem)
{
    platform::CopyToField(note.text, u"one\r\ntwo");
    note.textLength = 8;
    CNoteDlg dialog(owner.get());
    ASSERT_EQ(dialog.SetTarget(&note, nullptr, 0, 0), 1);
    EXPECT_EQ(dialog.Edit().toPlainText(), QStringLiteral("one\ntwo"));
    dialog.Edit().setPlainText(QStringLiteral("a\nb\n"));
    dialog.OkButton().click();
    EXPECT_EQ(dialog.result(), CNoteDlg::kResultOk);
    EXPECT_EQ(project::NoteText(note), u"a\r\nb\r\n");
    EXPECT_EQ(note.textLength, 6);
    for (size_t i = 6; i < std::size(note.text); ++i)
        ASSERT_EQ(note.text[i], u'\0') << i;
}

// Whatever is typed or pasted, the editor keeps what the field can store, and no surrogate pair
// is split at the cut.
TEST_F(NoteDialogTest, TheTextIsHeldToItsField)
{
    CNoteDlg dialog(owner.get());
    dialog.SetTarget(&note, nullptr, 0, 0);
    dialog.Edit().setPlainText(QString(382, u'x') + QString::fromUtf16(u"\U0001F600") + QStringLiteral("tail"));
    EXPECT_EQ(dialog.Edit().toPlainText().size(), 382);
    dialog.OkButton().click();
    EXPECT_EQ(note.textLength, 382);
    EXPECT_EQ(note.text[382], u'\0');

    CNoteDlg small(owner.get());
    small.SetTarget(nullptr, &chartNote, 300, 300);
    small.Edit().setPlainText(QString(60, u'\n'));
    EXPECT_EQ(small.Edit().toPlainText().size(), 54);   // each line end is stored as two units
    small.OkButton().click();
    EXPECT_EQ(chartNote.textLength, 108);
}

TEST_F(NoteDialogTest, SizesAreShownWithinRangeAndWrittenOnlyWhenChosen)
{
    note.fontSize = 99;
    {
        CNoteDlg dialog(owner.get());
        dialog.SetTarget(&note, nullptr, 0, 0);
        EXPECT_EQ(dialog.SizeCombo().currentIndex(), 10);
        EXPECT_EQ(dialog.EditFont().pixelSize(), 30);
        dialog.CancelButton().click();
        EXPECT_EQ(dialog.result(), CNoteDlg::kResultCancel);
    }
    EXPECT_EQ(note.fontSize, 99);

    // A size chosen is kept even when the text is not.
    {
        CNoteDlg dialog(owner.get());
        dialog.SetTarget(&note, nullptr, 0, 0);
        dialog.Edit().setPlainText(QStringLiteral("changed"));
        ChooseSize(dialog, 2);
        dialog.BoldButton().click();
        EXPECT_TRUE(dialog.EditFont().bold());
        dialog.CancelButton().click();
    }
    EXPECT_EQ(note.fontSize, 14);
    EXPECT_EQ(note.bold, 1);
    EXPECT_EQ(note.textLength, 0);

    // A chart note made a moment ago has no size yet: it is shown and stored as 16.
    CNoteDlg dialog(owner.get());
    dialog.SetTarget(nullptr, &chartNote, 300, 300);
    EXPECT_EQ(dialog.SizeCombo().currentIndex(), 3);
    dialog.Edit().setPlainText(QStringLiteral("peak"));
    dialog.OkButton().click();
    EXPECT_EQ(chartNote.fontSize, 16);
    EXPECT_EQ(project::GraphNoteText(chartNote), u"peak");
}

TEST_F(NoteDialogTest, WithoutATargetNothingIsWritten)
{
    CNoteDlg dialog(owner.get());
    EXPECT_EQ(dialog.SetTarget(nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(dialog.exec(), CNoteDlg::kResultCancel);
}

// The editor fits the window it is given; a chart note's window has no bold button.
TEST_F(NoteDialogTest, TheEditFitsItsWindow)
{
    CNoteDlg full(owner.get());
    full.SetTarget(&note, nullptr, 0, 0);
    EXPECT_EQ(full.size(), QSize(800, 490));
    EXPECT_TRUE(full.rect().contains(full.Edit().geometry()));
    EXPECT_TRUE(full.BoldButton().isVisibleTo(&full));

    CNoteDlg small(owner.get());
    small.SetTarget(nullptr, &chartNote, 790, 20);
    EXPECT_EQ(small.size(), QSize(266, 80));
    EXPECT_EQ(small.pos(), QPoint(534, 0));
    EXPECT_TRUE(small.rect().contains(small.Edit().geometry()));
    EXPECT_FALSE(small.BoldButton().isVisibleTo(&small));
    EXPECT_EQ(small.OkButton().geometry().left(), 200);
}

}  // namespace
