#include "logger/notes/CNoteDlg.h"

#include <QComboBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include "uikit/button/CButtonST.h"
#include "uikit/button/SkinButtons.h"
#include "uikit/resources/ResourceModule.h"

namespace notes {

namespace {

constexpr int kBackgroundBitmap = 2354;
const QString kFace = QStringLiteral("Malgun Gothic");

QRect RectOf(const NoteRect& r)
{
    return QRect(r.left, r.top, r.width, r.height);
}

QString FromU16(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

}  // namespace

CNoteDlg::CNoteDlg(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("CNoteDlg"));
    setModal(true);
    if (uikit::ResourceModule* bitmaps = GetBitmapModule())
        background_ = bitmaps->Bitmap(kBackgroundBitmap);

    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QString::number(kEdit));
    edit_->setFrameShape(QFrame::NoFrame);
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] { LimitText(); });

    sizes_ = new QComboBox(this);
    sizes_->setObjectName(QString::number(kSizeCombo));
    for (int i = 0; i < NoteEditModel::kSizeCount; ++i)
        sizes_->addItem(QString::number(NoteEditModel::SizeOfIndex(i)));
    connect(sizes_, &QComboBox::activated, this, [this](int index) {
        model_.SelectSize(index);
        ApplyFont();
    });

    const auto button = [this](int id) {
        auto* b = new uikit::CButtonST(this);
        b->setObjectName(QString::number(id));
        return b;
    };
    bold_ = button(kBold);
    bold_->SetCheckBoxMode(true);
    connect(bold_, &QAbstractButton::clicked, this, [this](bool checked) {
        model_.SetBold(checked);
        ApplyFont();
    });
    cancel_ = button(kCancel);
    ok_ = button(kOk);
    connect(cancel_, &QAbstractButton::clicked, this, &CNoteDlg::reject);
    connect(ok_, &QAbstractButton::clicked, this, &CNoteDlg::accept);
    // Nothing is set up until there is a target.
    for (QWidget* w : std::initializer_list<QWidget*>{edit_, sizes_, bold_, cancel_, ok_})
        w->hide();
}

CNoteDlg::~CNoteDlg() = default;

int CNoteDlg::SetTarget(project::NoteRecord* note, project::GraphNote* chartNote, int x, int y)
{
    if (model_.SetTarget(note, chartNote, x, y) == 0)
        return 0;
    // Placed on the program's window, whose client area the positions are measured from.
    const NoteRect window = model_.Window();
    const QWidget* program = parentWidget() ? parentWidget()->window() : nullptr;
    const QPoint origin = program ? program->geometry().topLeft() : QPoint();
    setGeometry(QRect(origin + QPoint(window.left, window.top), QSize(window.width, window.height)));
    GetClientSize(this);

    uikit::SetUpSkinButton(*bold_, {2352, 2353, 2352, 2352}, RectOf(model_.BoldRect()));
    uikit::SetUpSkinButton(*cancel_, {2350, 2351, 2350, 2350}, RectOf(model_.CancelRect()));
    uikit::SetUpSkinButton(*ok_, {2348, 2349, 2348, 2348}, RectOf(model_.OkRect()));
    for (uikit::CButtonST* b : {bold_, cancel_, ok_}) {
        b->SetFlag(false);
        b->show();
    }
    bold_->setVisible(model_.BoldShown());
    sizes_->setGeometry(RectOf(model_.SizeComboRect()));
    sizes_->show();
    edit_->setGeometry(RectOf(model_.EditRect()));
    edit_->show();

    {
        const QSignalBlocker quiet(edit_);
        edit_->setPlainText(FromU16(model_.LimitEditorText(model_.EditorText())));
    }
    edit_->moveCursor(QTextCursor::End);
    bold_->SetCheck(model_.Bold() ? 1 : 0);
    sizes_->setCurrentIndex(model_.SizeIndex());
    ApplyFont();
    edit_->setFocus();
    return 1;
}

int CNoteDlg::exec()
{
    if (model_.Kind() == NoteKind::None)
        return kResultCancel;
    return QDialog::exec();
}

void CNoteDlg::accept()
{
    model_.Accept(edit_->toPlainText().toStdU16String());
    done(kResultOk);
}

void CNoteDlg::reject()
{
    done(kResultCancel);
}

void CNoteDlg::ApplyFont()
{
    CreateFont(&editFont_, model_.FontSize(), kFace, model_.Bold() ? 1 : 0, kFontQuality);
    edit_->setFont(editFont_);
}

void CNoteDlg::LimitText()
{
    if (limiting_)
        return;
    const QString text = edit_->toPlainText();
    const std::u16string kept = model_.LimitEditorText(text.toStdU16String());
    if (qsizetype(kept.size()) == text.size())
        return;
    // What the field cannot hold is never taken, wherever it was typed or pasted.
    limiting_ = true;
    edit_->setPlainText(FromU16(kept));
    edit_->moveCursor(QTextCursor::End);
    limiting_ = false;
}

void CNoteDlg::paintEvent(QPaintEvent* event)
{
    if (background_.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, background_);
}

bool EditNoteRecord(QWidget* owner, project::NoteRecord& note)
{
    CNoteDlg dialog(owner);
    dialog.SetTarget(&note, nullptr, 0, 0);
    return dialog.exec() == CNoteDlg::kResultOk;
}

}  // namespace notes
