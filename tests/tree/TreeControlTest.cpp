#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/WidgetApp.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/tree/CTreeCtrlEx.h"
#include "uikit/tree/CTreeEditor.h"

namespace {

using uikit::CTreeCtrlEx;

// The screen the panel sits on: it keeps every label the tree posts.
class Screen : public QWidget {
public:
    struct Label {
        qint64 key;
        QString text;
    };
    bool event(QEvent* e) override
    {
        if (const uikit::ScreenEvent* m = uikit::AsScreenEvent(e)) {
            if (m->code() == uikit::WM_TREE_LABEL_EDITED)
                labels.push_back({m->wParam(), m->text()});
            return true;
        }
        return QWidget::event(e);
    }
    std::vector<Label> labels;
};

class TreeControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }
    void SetUp() override
    {
        screen.resize(400, 500);
        panel = new uikit::CTreeEditor(&screen);
        panel->setGeometry(0, 50, 400, 450);
        root = tree().AppendChild(QStringLiteral("Project"), 0, nullptr, 100);
        set = tree().AppendChild(QStringLiteral("Run 1"), 1, root, 201);
        fixed = tree().AppendChild(QStringLiteral("Graph-1"), 4, set, 301);
        fixed->setFlags(fixed->flags() & ~Qt::ItemIsEditable);
        screen.show();
        QApplication::setActiveWindow(&screen);
    }
    CTreeCtrlEx& tree() { return panel->Tree(); }
    void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    QLineEdit* EditItem(QTreeWidgetItem* item)
    {
        tree().setCurrentItem(item);
        QLineEdit* editor = panel->EditSelectedLabel();
        EXPECT_NE(editor, nullptr);
        return editor;
    }

    Screen screen;
    uikit::CTreeEditor* panel = nullptr;
    QTreeWidgetItem* root = nullptr;
    QTreeWidgetItem* set = nullptr;
    QTreeWidgetItem* fixed = nullptr;
};

TEST_F(TreeControlTest, EnterAndInsertCommitOnceWithTheWholeLabelAndTheKey)
{
    const QString full(CTreeCtrlEx::kLabelLimit, QChar(u'가'));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Insert}) {
        SCOPED_TRACE(int(key));
        screen.labels.clear();
        QLineEdit* editor = EditItem(set);
        ASSERT_NE(editor, nullptr);
        editor->setText(full);
        QTest::keyClick(editor, key);
        Settle();
        ASSERT_EQ(screen.labels.size(), 1u);
        EXPECT_EQ(screen.labels[0].key, 201);
        EXPECT_EQ(screen.labels[0].text, full);
        EXPECT_EQ(set->text(0), full);
        EXPECT_EQ(tree().ActiveEditor(), nullptr);
        // Going elsewhere afterwards posts nothing more.
        tree().setFocus();
        Settle();
        EXPECT_EQ(screen.labels.size(), 1u);
    }
}

TEST_F(TreeControlTest, EscapePostsNothingAndKeepsTheLabel)
{
    QLineEdit* editor = EditItem(root);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("changed"));
    QTest::keyClick(editor, Qt::Key_Escape);
    Settle();
    tree().setFocus();
    Settle();
    EXPECT_TRUE(screen.labels.empty());
    EXPECT_EQ(root->text(0), QStringLiteral("Project"));
}

TEST_F(TreeControlTest, ASixtyFifthCharacterIsRefused)
{
    QLineEdit* editor = EditItem(root);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, QString(70, QChar(u'x')));
    EXPECT_EQ(editor->text().size(), CTreeCtrlEx::kLabelLimit);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    ASSERT_EQ(screen.labels.size(), 1u);
    EXPECT_EQ(screen.labels[0].text, QString(64, QChar(u'x')));
    EXPECT_EQ(screen.labels[0].key, 100);
}

TEST_F(TreeControlTest, LeavingTheEditorCommitsOnce)
{
    QLineEdit* editor = EditItem(set);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Run A"));
    QWidget elsewhere(&screen);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    elsewhere.setFocus();
    Settle();
    ASSERT_EQ(screen.labels.size(), 1u);
    EXPECT_EQ(screen.labels[0].text, QStringLiteral("Run A"));
}

TEST_F(TreeControlTest, OnlyARenamableSelectedItemIsEdited)
{
    tree().setCurrentItem(nullptr);
    EXPECT_EQ(tree().EditSelectedLabel(), nullptr);
    tree().setCurrentItem(fixed);
    EXPECT_EQ(panel->EditSelectedLabel(), nullptr);
    EXPECT_TRUE(screen.labels.empty());
}

TEST_F(TreeControlTest, ItemsGoWhereTheyAreAskedAndCarryTheirKeys)
{
    tree().setCurrentItem(set);
    QTreeWidgetItem* after = tree().InsertAfterSelection(QStringLiteral("Run 2"), 1, 202);
    ASSERT_EQ(after->parent(), root);
    EXPECT_EQ(root->indexOfChild(after), root->indexOfChild(set) + 1);
    QTreeWidgetItem* note = tree().AppendChild(QStringLiteral("Note"), 3, root, 400);
    EXPECT_EQ(root->indexOfChild(note), root->childCount() - 1);
    EXPECT_EQ(CTreeCtrlEx::KeyOf(note), 400);
    EXPECT_EQ(tree().FindItem(202), after);
    EXPECT_EQ(tree().FindItem(999), nullptr);
    tree().setCurrentItem(root);
    QTreeWidgetItem* top = tree().InsertAfterSelection(QStringLiteral("Other"), 0, 101);
    EXPECT_EQ(tree().indexOfTopLevelItem(top), 1);
    tree().DeleteAllItems();
    EXPECT_EQ(tree().topLevelItemCount(), 0);
}

TEST_F(TreeControlTest, ThePanelKeepsTheTreeBelowItsTopOffset)
{
    EXPECT_EQ(tree().geometry(), QRect(0, 0, 400, 450));
    panel->SetTopOffset(20);
    EXPECT_EQ(tree().geometry(), QRect(0, 20, 400, 430));
    panel->resize(300, 200);
    EXPECT_EQ(tree().geometry(), QRect(0, 20, 300, 180));
    EXPECT_EQ(tree().LabelTarget(), &screen);
}

}  // namespace
