#include "uikit/msgbox/MessageBoxRules.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Text.h"
#include "uikit/events/ScreenMessages.h"

namespace uikit {

namespace {

constexpr int kTextAttached = 2081;
constexpr int kTextRemoved = 2053;
constexpr int kTextIdentified = 2118;
constexpr int kTextCheckCables = 2067;
constexpr int kTextCheckLogger = 2157;

using B = BoxButton;
constexpr BoxTypeRule kRules[kBoxTypeCount] = {
    {2, true, 0, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextAttached},
    {3, true, 0, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextRemoved},
    {2, false, 1000, B::Hidden, B::Unchanged, BoxBody::ChannelList, kTextIdentified},
    {0, false, 5000, B::ShownAtNotice, B::Unchanged, BoxBody::LanguageText, kTextCheckCables},
    {3, false, 1000, B::Hidden, B::Unchanged, BoxBody::DetectionText, kTextRemoved},
    {0, false, 1000, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextCheckLogger},
    {0, false, 5000, B::Shown, B::Hidden, BoxBody::CallerTexts, 0},
    {0, false, 5000, B::Shown, B::Shown, BoxBody::CallerTexts, 0},
    {0, false, 0, B::Shown, B::Shown, BoxBody::None, 0},
    {0, false, 0, B::Shown, B::Hidden, BoxBody::CallerTexts, 0},
};

constexpr int kTwoButtonType = 8;

}  // namespace

const BoxTypeRule& RuleOfBoxType(int type)
{
    return kRules[type >= 0 && type < kBoxTypeCount ? type : kTwoButtonType];
}

int BoxTypeOfReport(int code)
{
    switch (code) {
    case WM_DEVICE_FOUND:
        return 2;
    case WM_DEVICE_NOT_FOUND:
        return 4;
    case WM_DEVICE_CHECK_OTHER:
        return 3;
    case WM_DEVICE_CHECK_NOTICE:
        return 5;
    default:
        return -1;
    }
}

int ReportOfDetection(int result)
{
    return result == 1 ? WM_DEVICE_FOUND : result == 0 ? WM_DEVICE_NOT_FOUND : WM_DEVICE_CHECK_OTHER;
}

std::u16string ChannelListText(devicelink::CNI2CSensor* sensor)
{
    std::u16string text;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        text += char16_t(u'A' + c);
        if (sensor && sensor->connected(c) == 1) {
            text += u" - ";
            text += platform::FieldView(sensor->channel(c).name);
        }
        text += u'\n';
    }
    return text;
}

}  // namespace uikit
