#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "logger/notes/core/NoteEditModel.h"
#include "logger/project/ExperimentRecords.h"

using notes::NoteEditModel;
using notes::NoteKind;

namespace {

class NoteEditModelTest : public ::testing::Test {
protected:
    NoteEditModelTest()
    {
        project::InitNoteRecord(note);
        std::memset(&chartNote, 0, sizeof chartNote);
    }
    project::NoteRecord note{};
    project::GraphNote chartNote{};
    NoteEditModel model;
};

TEST_F(NoteEditModelTest, TargetsAndPlacement)
{
    EXPECT_EQ(model.SetTarget(nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(model.Kind(), NoteKind::None);
    model.Accept(u"nothing to write into");

    ASSERT_EQ(model.SetTarget(&note, nullptr, 0, 0), 1);
    EXPECT_TRUE(model.BoldShown());
    EXPECT_EQ(model.Window().top, 110);
    EXPECT_EQ(model.Window().height, 490);
    // The edit fits the window below the buttons.
    EXPECT_EQ(model.EditRect().top + model.EditRect().height, 490);
    EXPECT_EQ(model.OkRect().left, 300);

    const struct {
        int x, y, left, top;
    } spots[] = {{400, 300, 267, 220}, {50, 300, 0, 220}, {780, 20, 534, 0}};
    for (const auto& s : spots) {
        ASSERT_EQ(model.SetTarget(nullptr, &chartNote, s.x, s.y), 1);
        EXPECT_EQ(model.Window().left, s.left) << s.x;
        EXPECT_EQ(model.Window().top, s.top) << s.y;
    }
    EXPECT_FALSE(model.BoldShown());
    EXPECT_EQ(model.CancelRect().left, 120);
    EXPECT_EQ(model.OkRect().left, 200);
    EXPECT_EQ(model.EditRect().top + model.EditRect().height, model.Window().height);
}

// The editor speaks "\n", the stored note and the chart "\r\n"; the stored length counts the CRs.
TEST_F(NoteEditModelTest, LineEndsConvertAtTheEdge)
{
    EXPECT_EQ(NoteEditModel::ToEditorText(u"a\r\nb\rc\n"), u"a\nb\nc\n");
    EXPECT_EQ(NoteEditModel::ToStoredText(u"a\nb\r\nc\r"), u"a\r\nb\r\nc\r\n");

    model.SetTarget(&note, nullptr, 0, 0);
    model.Accept(u"one\ntwo");
    EXPECT_EQ(project::NoteText(note), u"one\r\ntwo");
    EXPECT_EQ(note.textLength, 8);
    EXPECT_EQ(model.EditorText(), u"one\ntwo");
}

TEST_F(NoteEditModelTest, TextIsBoundedByItsFieldAndZeroFilled)
{
    model.SetTarget(&note, nullptr, 0, 0);
    model.Accept(std::u16string(1000, u'x'));
    EXPECT_EQ(note.textLength, 383);
    EXPECT_EQ(note.text[383], u'\0');
    // A shorter text leaves no trace of the longer one.
    model.Accept(u"short");
    EXPECT_EQ(note.textLength, 5);
    for (size_t i = 5; i < std::size(note.text); ++i)
        ASSERT_EQ(note.text[i], u'\0') << i;

    // Neither a surrogate pair nor a line end is split at the cut.
    model.SetTarget(nullptr, &chartNote, 100, 100);
    model.Accept(std::u16string(108, u'y') + u"\U0001F600");
    EXPECT_EQ(chartNote.textLength, 108);
    model.Accept(std::u16string(108, u'y') + u"\nz");
    EXPECT_EQ(chartNote.textLength, 108);
    EXPECT_EQ(chartNote.text[107], u'y');
    EXPECT_EQ(chartNote.text[108], u'\0');

    // The editor is held to what the field can store, "\n" counting twice.
    EXPECT_EQ(model.LimitEditorText(std::u16string(60, u'\n')).size(), 54u);
    EXPECT_EQ(model.LimitEditorText(u"abc"), u"abc");
}

TEST_F(NoteEditModelTest, SizesAndBold)
{
    model.SetTarget(&note, nullptr, 0, 0);
    EXPECT_EQ(model.FontSize(), 16);
    EXPECT_EQ(model.SizeIndex(), 3);
    note.fontSize = 30;
    EXPECT_EQ(model.SizeIndex(), 10);
    // A stored size out of range shows clamped and stays as it is until the user picks one.
    note.fontSize = 99;
    EXPECT_EQ(model.FontSize(), 30);
    model.SelectSize(10);
    EXPECT_EQ(note.fontSize, 99);
    model.SelectSize(0);
    EXPECT_EQ(note.fontSize, 10);
    note.fontSize = -4;
    EXPECT_EQ(model.FontSize(), 10);
    model.SelectSize(42);
    EXPECT_EQ(note.fontSize, -4);

    model.SetBold(true);
    EXPECT_EQ(note.bold, 1);
    EXPECT_TRUE(model.Bold());

    // A new chart note's size 0 is 16, shown and stored with its text.
    model.SetTarget(nullptr, &chartNote, 100, 100);
    EXPECT_EQ(model.FontSize(), 16);
    model.Accept(u"note");
    EXPECT_EQ(chartNote.fontSize, 16);
}

// Cancel writes no text, but a size picked before it stays.
TEST_F(NoteEditModelTest, SizeChangesStayWhenTheTextIsCancelled)
{
    model.SetTarget(&note, nullptr, 0, 0);
    model.Accept(u"kept");
    model.SelectSize(5);
    EXPECT_EQ(note.fontSize, 20);
    EXPECT_EQ(project::NoteText(note), u"kept");
}

}  // namespace
