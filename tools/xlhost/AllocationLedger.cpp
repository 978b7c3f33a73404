#include "tools/xlhost/AllocationLedger.h"

#include <algorithm>

namespace xlhost {

std::vector<uint16_t> CountedText(std::u16string_view text)
{
    size_t length = std::min<size_t>(text.size(), HOST_MAX_STRING);
    if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    std::vector<uint16_t> counted(length + 1);
    counted[0] = uint16_t(length);
    std::copy_n(text.begin(), length, counted.begin() + 1);
    return counted;
}

uint16_t* AllocationLedger::NewText(std::u16string_view text)
{
    auto block = std::make_unique<Block>();
    block->text = CountedText(text);
    uint16_t* data = block->text.data();
    blocks_.emplace(data, std::move(block));
    ++allocations_;
    return data;
}

HostOperand* AllocationLedger::NewArray(int32_t rows, int32_t columns)
{
    auto block = std::make_unique<Block>();
    HostOperand missing{};
    missing.type = HOST_TYPE_MISSING;
    block->items.assign(size_t(std::max(rows, 0)) * size_t(std::max(columns, 0)) + 1, missing);
    HostOperand* data = block->items.data();
    blocks_.emplace(data, std::move(block));
    ++allocations_;
    return data;
}

void AllocationLedger::SetItemText(HostOperand* items, HostOperand& item, std::u16string_view text)
{
    const auto it = blocks_.find(items);
    if (it == blocks_.end())
        return;
    std::vector<uint16_t>& counted = it->second->itemTexts.emplace_back(CountedText(text));
    item = HostOperand{};
    item.type = HOST_TYPE_STRING;
    item.value.text = counted.data();
}

bool AllocationLedger::Release(HostOperand& operand)
{
    const void* key = nullptr;
    if (operand.type == HOST_TYPE_STRING)
        key = operand.value.text;
    else if (operand.type == HOST_TYPE_ARRAY)
        key = operand.value.array.items;
    else
        return true;  // nothing to give back
    const auto it = blocks_.find(key);
    if (it == blocks_.end()) {
        ++badFrees_;
        return false;
    }
    blocks_.erase(it);
    operand = HostOperand{};
    operand.type = HOST_TYPE_MISSING;
    return true;
}

}  // namespace xlhost
