#include "logger/shell/core/HelpHistory.h"

#include <algorithm>

namespace shell {

void HelpHistory::Open(std::u16string_view address)
{
    for (int i = 1; i < count_; ++i)
        entries_[i] = {};
    position_ = 0;
    count_ = 1;
    entries_[0] = {std::u16string(address), {}};
}

void HelpHistory::FollowLink(std::u16string_view address)
{
    if (count_ == 0) {
        Open(address);
        return;
    }
    position_ = std::min(position_ + 1, kCapacity - 1);
    for (int i = position_ + 1; i < count_; ++i)
        entries_[i] = {};
    count_ = position_ + 1;
    entries_[position_] = {std::u16string(address), {}};
}

void HelpHistory::SetTitle(std::u16string_view title)
{
    if (count_ > 0)
        entries_[position_].title = title;
}

const std::u16string* HelpHistory::Back()
{
    if (position_ == 0)
        return nullptr;
    --position_;
    return &entries_[position_].address;
}

const std::u16string* HelpHistory::Forward()
{
    if (position_ + 1 >= count_)
        return nullptr;
    ++position_;
    return &entries_[position_].address;
}

const HelpHistoryEntry& HelpHistory::At(int index) const
{
    static const HelpHistoryEntry none;
    return index >= 0 && index < count_ ? entries_[index] : none;
}

}  // namespace shell
