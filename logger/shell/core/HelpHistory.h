#pragma once

#include <array>
#include <string>
#include <string_view>

// The help viewer's way back and forward: up to 64 pages, each kept by its address (what the
// viewer navigates to) with the title the page gave itself. Opening a page starts afresh; only a
// link followed on a page adds an entry; Back and Forward move through the stored addresses and
// add nothing.
namespace shell {

struct HelpHistoryEntry {
    std::u16string address;
    std::u16string title;
};

class HelpHistory {
public:
    static constexpr int kCapacity = 64;

    // position 0, one entry: the page.
    void Open(std::u16string_view address);
    // A link followed from the current page: the entry after the current one becomes the new
    // page and the last; entries forward of it go. With the history full the last entry is
    // replaced, so the position stays at kCapacity - 1.
    void FollowLink(std::u16string_view address);
    // The page in front gave itself a title.
    void SetTitle(std::u16string_view title);

    // Move one entry back or forward; the address to navigate to, or null at either end (the
    // position is then unchanged).
    const std::u16string* Back();
    const std::u16string* Forward();

    int Position() const { return position_; }
    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // The entry at the position; an empty entry while nothing was opened.
    const HelpHistoryEntry& Current() const { return entries_[position_]; }
    const HelpHistoryEntry& At(int index) const;

private:
    std::array<HelpHistoryEntry, kCapacity> entries_{};
    int position_ = 0;
    int count_ = 0;
};

}  // namespace shell
