#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "logger/project/ExperimentRecords.h"

// The note dialog without its widgets: which note it edits (a note record of a project, data set
// or analysis set, or a note on a chart), where its window and controls go, and what it writes
// back. The editor works with "\n" line ends; the stored text and the chart use "\r\n".
namespace notes {

enum class NoteKind { None, Record, ChartNote };

struct NoteRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class NoteEditModel {
public:
    static constexpr int kSizeCount = 11;       // "10", "12", ... "30"
    static constexpr int kDefaultSize = 16;
    static constexpr int kScreenWidth = 800;

    // A note record, else a chart note standing at (x, y) on the screen. 0 when both are null.
    int SetTarget(project::NoteRecord* note, project::GraphNote* chartNote, int x, int y);
    NoteKind Kind() const { return kind_; }

    // Placement relative to the dialog's own position, its client size and its controls.
    NoteRect Window() const;
    NoteRect EditRect() const;
    NoteRect SizeComboRect() const { return {16, 8, 80, 30}; }
    NoteRect BoldRect() const { return {120, 0, 90, 35}; }
    bool BoldShown() const { return kind_ == NoteKind::Record; }
    NoteRect CancelRect() const;
    NoteRect OkRect() const;

    // What the dialog starts with.
    std::u16string EditorText() const;
    int FontSize() const;   // within 10..30; a chart note's 0 is 16
    int SizeIndex() const { return (FontSize() - 10) / 2; }
    static int SizeOfIndex(int index) { return 2 * index + 10; }
    bool Bold() const;

    // The longest start of an editor text whose stored form fits the target.
    std::u16string LimitEditorText(std::u16string_view editorText) const;

    // Combo and bold button: written into the target at once, a size only when it changes.
    void SelectSize(int index);
    void SetBold(bool bold);
    // OK: the text, its length and (for a new chart note) its size. Cancel writes nothing.
    void Accept(std::u16string_view editorText);

    // "\r\n" (and a lone "\r") to "\n", and back.
    static std::u16string ToEditorText(std::u16string_view stored);
    static std::u16string ToStoredText(std::u16string_view editorText);
    // The longest start of `text` within `units` that splits no surrogate pair and no "\r\n".
    static size_t FitLength(std::u16string_view text, size_t units);

private:
    char16_t* TextField() const;
    size_t TextCapacity() const;   // units of text, without the terminator
    int32_t* SizeField() const;
    int32_t* BoldField() const;

    NoteKind kind_ = NoteKind::None;
    project::NoteRecord* note_ = nullptr;
    project::GraphNote* chartNote_ = nullptr;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace notes
