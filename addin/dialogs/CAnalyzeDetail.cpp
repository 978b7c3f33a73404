#include "addin/dialogs/CAnalyzeDetail.h"

#include "addin/dialogs/ChannelWindow.h"
#include "addin/dialogs/core/ResultLines.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace addin::dialogs {

CAnalyzeDetail::CAnalyzeDetail(QWidget* parent, std::vector<std::u16string> lines)
    : QDialog(parent), lines_(std::move(lines))
{
    setObjectName(QString::number(kDialogId));
    setWindowTitle(QStringLiteral("Stastics"));
    setFont(BaseFont());
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(kListId));
    list_->clear();
    for (const std::u16string& line : lines_)
        list_->addItem(ToQString(line));

    auto* copy = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
    copy->setObjectName(QString::number(kCopyId));
    connect(copy, &QPushButton::clicked, this, &CAnalyzeDetail::CopyToClipboard);
    // No action of its own is known: shown, not offered.
    auto* toCells = new QPushButton(QStringLiteral("셀에 복사"), this);
    toCells->setObjectName(QString::number(kToCellsId));
    toCells->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(toCells);
    buttons->addWidget(copy);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(380, 320);
}

void CAnalyzeDetail::CopyToClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ToQString(JoinLines(lines_)));
}

}  // namespace addin::dialogs
