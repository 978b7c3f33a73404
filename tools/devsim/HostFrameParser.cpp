#include "tools/devsim/HostFrameParser.h"

#include "devicelink/protocol/CommandFrame.h"
#include "platform/LittleEndian.h"

namespace devsim {

void HostFrameParser::Feed(std::span<const uint8_t> bytes, const Handler& handler)
{
    held_.insert(held_.end(), bytes.begin(), bytes.end());
    size_t pos = 0;
    const auto skip = [&](size_t n) {
        pos += n;
        skipped_ += n;
    };
    while (held_.size() - pos >= 12) {
        std::span<const uint8_t> view(held_.data() + pos, held_.size() - pos);
        if (platform::ReadLE32(view, 0) != devicelink::kFrameHead) {
            skip(1);
            continue;
        }
        const uint32_t length = platform::ReadLE32(view, 8);
        if (length % 4 != 0 || length > kMaxCommandPayload) {
            skip(1);
            continue;
        }
        const size_t total = length + devicelink::kFrameOverheadBytes;
        if (view.size() < total)
            break;  // wait for the rest
        if (platform::ReadLE32(view, total - 4) != devicelink::kFrameTail) {
            // The length word did not lead to a tail: this head was noise, or the frame was cut.
            skip(1);
            continue;
        }
        const size_t words = total / 4;
        std::vector<uint32_t> frame(words);
        for (size_t i = 0; i < words; ++i)
            frame[i] = platform::ReadLE32(view, i * 4);
        pos += total;
        if (devicelink::FrameChecksum(std::span(frame).first(words - 2)) != frame[words - 2]) {
            ++dropped_;
            continue;
        }
        HostFrame parsed;
        parsed.code = frame[1];
        parsed.payload.assign(frame.begin() + 3, frame.end() - 2);
        handler(parsed);
    }
    held_.erase(held_.begin(), held_.begin() + std::ptrdiff_t(pos));
}

}  // namespace devsim
