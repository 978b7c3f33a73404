#pragma once

#include <array>
#include <cstdint>

// Where the sensor monitor puts its panels on the 800 x 600 page, their colours, and which panel
// a tap on a name strip means. Rectangles are given by their edges, right and bottom exclusive.
namespace monitor {

inline constexpr int kPanelSlots = 4;
inline constexpr int kPageWidth = 800;
inline constexpr int kPageHeight = 600;

struct Edges {
    int left, top, right, bottom;

    Edges Shifted(int dx) const { return {left + dx, top, right + dx, bottom}; }
    // Strictly inside: a point on an edge is outside.
    bool StrictlyContains(int x, int y) const { return left < x && x < right && top < y && y < bottom; }
};

// Slot k shows the k-th channel of the slot map, in the design coordinates of the page.
inline constexpr std::array<Edges, kPanelSlots> kPanelRects = {{
    {4, 58, 396, 324},
    {404, 58, 796, 324},
    {4, 332, 396, 598},
    {404, 332, 796, 598},
}};
// The top of a panel that opens the sensor's information page.
inline constexpr int kNameStripHeight = 50;
// Channel colours A..D, 0x00BBGGRR.
inline constexpr std::array<uint32_t, kPanelSlots> kChannelColours = {0xDE3431, 0xA801FF, 0x0092EF, 0x2A910A};

// The channels shown, slot by slot.
struct SlotMap {
    std::array<int, kPanelSlots> channel = {-1, -1, -1, -1};
    int count = 0;

    bool operator==(const SlotMap&) const = default;
    void Add(int c)
    {
        if (count < kPanelSlots)
            channel[size_t(count++)] = c;
    }
};

// The page is centred in a client area wider than it.
inline int CentringOffset(int clientWidth)
{
    return clientWidth <= kPageWidth ? 0 : (clientWidth - kPageWidth) / 2;
}

// The channel whose name strip strictly contains both the press and the release point; -1 for
// none (pressing on one panel and releasing on another opens nothing).
inline int ChannelAtNameStrip(const SlotMap& slotMap, int x0, int pressX, int pressY, int releaseX, int releaseY)
{
    for (int k = 0; k < slotMap.count; ++k) {
        const Edges panel = kPanelRects[size_t(k)].Shifted(x0);
        const Edges strip = {panel.left, panel.top, panel.right, panel.top + kNameStripHeight};
        if (strip.StrictlyContains(pressX, pressY) && strip.StrictlyContains(releaseX, releaseY))
            return slotMap.channel[size_t(k)];
    }
    return -1;
}

}  // namespace monitor
