#include "device/protokol.h"

namespace kelvaron {

bool TProtokol::Push(uint8_t b) {
    if (static_cast<uint8_t>(writeIndex_ + 1) == releaseIndex_) return false;
    ring_[writeIndex_] = b;
    ++writeIndex_;
    return true;
}

bool TProtokol::NextFrame(FrameData& d) {
    while (parseIndex_ != writeIndex_) {
        const uint8_t c = ring_[parseIndex_];
        switch (parseState_) {
            case 0:
                if (c != kStart) {  // not a start byte: skip it
                    parseState_ = 255;
                    releaseIndex_ = parseIndex_;
                }
                break;
            case 1:
            case 2:
            case 3:
            case 4:
            case 5:
                assembling_[parseState_ - 1] = c;
                break;
            case 6:  // the marker is not examined
                break;
            case 7:
                if (c == DataFrameCheck(assembling_)) {
                    d = assembling_;
                    ++parseIndex_;
                    releaseIndex_ = parseIndex_;
                    parseState_ = 0;
                    return true;
                }
                // Bad check: go back to the oldest byte held and resume behind it.
                parseState_ = 255;
                parseIndex_ = releaseIndex_;
                ++releaseIndex_;
                break;
            default:
                parseState_ = 255;
                break;
        }
        ++parseIndex_;
        ++parseState_;  // 255 wraps to 0
    }
    return false;
}

}  // namespace kelvaron
