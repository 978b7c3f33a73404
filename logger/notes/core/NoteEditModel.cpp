#include "logger/notes/core/NoteEditModel.h"

#include <algorithm>
#include <iterator>

#include "platform/Text.h"

namespace notes {

namespace {

constexpr int kSmallestSize = 10;
constexpr int kLargestSize = 30;
constexpr int kEditTop = 36;
constexpr int kChartNoteHalfWidth = 133;
constexpr int kChartNoteRise = 80;
constexpr int kChartNoteWidth = 266;
constexpr int kChartNoteHeight = 80;
constexpr int kRecordTop = 110;
constexpr int kRecordHeight = 490;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Stored units of an editor text: every "\n" becomes "\r\n".
size_t StoredUnits(char16_t unit) { return unit == u'\n' ? 2 : 1; }

}  // namespace

int NoteEditModel::SetTarget(project::NoteRecord* note, project::GraphNote* chartNote, int x, int y)
{
    note_ = note;
    chartNote_ = note ? nullptr : chartNote;
    kind_ = note ? NoteKind::Record : chartNote ? NoteKind::ChartNote : NoteKind::None;
    x_ = x;
    y_ = y;
    return kind_ == NoteKind::None ? 0 : 1;
}

NoteRect NoteEditModel::Window() const
{
    if (kind_ != NoteKind::ChartNote)
        return {0, kRecordTop, kScreenWidth, kRecordHeight};
    int left = x_ - kChartNoteHalfWidth;
    if (left < 0)
        left = 0;
    else if (x_ + kChartNoteHalfWidth > kScreenWidth)
        left = kScreenWidth - kChartNoteWidth;
    return {left, std::max(0, y_ - kChartNoteRise), kChartNoteWidth, kChartNoteHeight};
}

NoteRect NoteEditModel::EditRect() const
{
    const NoteRect window = Window();
    return {0, kEditTop, window.width, std::max(0, window.height - kEditTop)};
}

NoteRect NoteEditModel::CancelRect() const
{
    return kind_ == NoteKind::ChartNote ? NoteRect{120, 0, 70, 35} : NoteRect{220, 0, 70, 35};
}

NoteRect NoteEditModel::OkRect() const
{
    return kind_ == NoteKind::ChartNote ? NoteRect{200, 0, 70, 35} : NoteRect{300, 0, 70, 35};
}

char16_t* NoteEditModel::TextField() const
{
    return note_ ? note_->text : chartNote_ ? chartNote_->text : nullptr;
}

size_t NoteEditModel::TextCapacity() const
{
    if (note_)
        return std::size(note_->text) - 1;
    return chartNote_ ? std::size(chartNote_->text) - 1 : 0;
}

int32_t* NoteEditModel::SizeField() const
{
    return note_ ? &note_->fontSize : chartNote_ ? &chartNote_->fontSize : nullptr;
}

int32_t* NoteEditModel::BoldField() const
{
    return note_ ? &note_->bold : chartNote_ ? &chartNote_->bold : nullptr;
}

std::u16string NoteEditModel::EditorText() const
{
    if (note_)
        return ToEditorText(project::NoteText(*note_));
    if (chartNote_)
        return ToEditorText(project::GraphNoteText(*chartNote_));
    return {};
}

int NoteEditModel::FontSize() const
{
    const int32_t* size = SizeField();
    if (!size || (chartNote_ && *size == 0))
        return kDefaultSize;
    const int clamped = std::clamp<int32_t>(*size, kSmallestSize, kLargestSize);
    return SizeOfIndex((clamped - kSmallestSize) / 2);
}

bool NoteEditModel::Bold() const
{
    const int32_t* bold = BoldField();
    return bold && *bold == 1;
}

void NoteEditModel::SelectSize(int index)
{
    int32_t* size = SizeField();
    if (!size || index < 0 || index >= kSizeCount || index == SizeIndex())
        return;
    *size = SizeOfIndex(index);
}

void NoteEditModel::SetBold(bool bold)
{
    if (int32_t* field = BoldField())
        *field = bold ? 1 : 0;
}

void NoteEditModel::Accept(std::u16string_view editorText)
{
    char16_t* field = TextField();
    if (!field)
        return;
    const std::u16string stored = ToStoredText(editorText);
    const size_t length = FitLength(stored, TextCapacity());
    platform::CopyToField(field, TextCapacity() + 1, std::u16string_view(stored).substr(0, length));
    if (note_)
        note_->textLength = int32_t(length);
    else
        chartNote_->textLength = int32_t(length);
    if (chartNote_ && chartNote_->fontSize == 0)
        chartNote_->fontSize = kDefaultSize;
}

std::u16string NoteEditModel::LimitEditorText(std::u16string_view editorText) const
{
    const size_t capacity = TextCapacity();
    size_t used = 0;
    size_t keep = 0;
    while (keep < editorText.size()) {
        const bool pair = IsHighSurrogate(editorText[keep]) && keep + 1 < editorText.size();
        const size_t units = pair ? 2 : StoredUnits(editorText[keep]);
        if (used + units > capacity)
            break;
        used += units;
        keep += pair ? 2 : 1;
    }
    return std::u16string(editorText.substr(0, keep));
}

std::u16string NoteEditModel::ToEditorText(std::u16string_view stored)
{
    std::u16string text;
    text.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == u'\r') {
            text += u'\n';
            if (i + 1 < stored.size() && stored[i + 1] == u'\n')
                ++i;
        } else {
            text += stored[i];
        }
    }
    return text;
}

std::u16string NoteEditModel::ToStoredText(std::u16string_view editorText)
{
    std::u16string text;
    text.reserve(editorText.size() + editorText.size() / 8);
    for (size_t i = 0; i < editorText.size(); ++i) {
        const char16_t unit = editorText[i];
        if (unit == u'\r' || unit == u'\n') {
            text += u"\r\n";
            if (unit == u'\r' && i + 1 < editorText.size() && editorText[i + 1] == u'\n')
                ++i;
        } else {
            text += unit;
        }
    }
    return text;
}

size_t NoteEditModel::FitLength(std::u16string_view text, size_t units)
{
    if (text.size() <= units)
        return text.size();
    size_t length = units;
    if (length > 0 && IsHighSurrogate(text[length - 1]))
        --length;
    else if (length > 0 && text[length - 1] == u'\r' && text[length] == u'\n')
        --length;
    return length;
}

}  // namespace notes
