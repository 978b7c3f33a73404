#pragma once

#include <string>

#include "uikit/msgbox/MessageBoxKind.h"

namespace devicelink {
class CNI2CSensor;
}

// What each message-box type shows and does, apart from any widget.
namespace uikit {

enum class BoxButton { Hidden, Shown, Unchanged, ShownAtNotice };
enum class BoxBody { LanguageText, ChannelList, DetectionText, CallerTexts, None };

struct BoxTypeRule {
    int picture;           // 0 information, 1 question, 2 sensor attached, 3 sensor removed
    bool runsDetection;    // the device-change notices: detection on a worker while the box is up
    int autoCloseMs;       // 0: stays until a button ends it
    BoxButton ok;
    BoxButton cancel;
    BoxBody body;
    int textId;            // the language text of the body (or of the line under it), 0 none
};

// The rule of a MessageBoxKind; numbers outside the kinds are treated as kBoxTypeTwoButtons.
const BoxTypeRule& RuleOfBoxType(int type);

// The kind a detection report (0x1400, 0x1401, 0x1402, 0x1403) turns the box into, or -1.
int BoxTypeOfReport(int code);

// The screen message that reports a detection result: 1 found, 0 nothing, else other.
int ReportOfDetection(int result);

// The list of kBoxTypeSensorsIdentified: a line per channel A..D, "A - <name>" for a connected channel, the letter
// alone otherwise, each line ended by a line feed. Letters only without a sensor object.
std::u16string ChannelListText(devicelink::CNI2CSensor* sensor);

}  // namespace uikit
