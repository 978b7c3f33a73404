#pragma once

#include "addin/HostCallApi.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

// Every result the host hands out with memory of its own (a string, an array) until the add-in
// gives it back with xlFree: a check at close finds what was never given back, and a free of
// something the host does not hold is counted, not performed.
namespace xlhost {

class AllocationLedger {
public:
    // A counted string in host memory (cut to 255 units).
    uint16_t* NewText(std::u16string_view text);
    // A rows x columns array of missing values in host memory; its texts are set through
    // SetItemText and go with the array.
    HostOperand* NewArray(int32_t rows, int32_t columns);
    void SetItemText(HostOperand* items, HostOperand& item, std::u16string_view text);

    // Frees what the operand carries; false (and counted) when the host does not hold it.
    bool Release(HostOperand& operand);

    size_t Live() const { return blocks_.size(); }
    size_t Allocations() const { return allocations_; }
    size_t BadFrees() const { return badFrees_; }

private:
    struct Block {
        std::vector<uint16_t> text;
        std::vector<HostOperand> items;
        std::vector<std::vector<uint16_t>> itemTexts;
    };
    std::unordered_map<const void*, std::unique_ptr<Block>> blocks_;
    size_t allocations_ = 0;
    size_t badFrees_ = 0;
};

// Counted text of `text`, at most 255 units, never ending inside a surrogate pair.
std::vector<uint16_t> CountedText(std::u16string_view text);

}  // namespace xlhost
