#include "uikit/msgbox/MessageBoxRules.h"

#include <array>
#include <cstddef>

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
constexpr std::array<BoxTypeRule, kBoxTypeCount> BuildRules()
{
    std::array<BoxTypeRule, kBoxTypeCount> r{};
    r[kBoxTypeDeviceAttached] = {2, true, 0, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextAttached};
    r[kBoxTypeDeviceRemoved] = {3, true, 0, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextRemoved};
    r[kBoxTypeSensorsIdentified] = {2, false, 1000, B::Hidden, B::Unchanged, BoxBody::ChannelList, kTextIdentified};
    r[kBoxTypeCheckCables] = {0, false, 5000, B::ShownAtNotice, B::Unchanged, BoxBody::LanguageText, kTextCheckCables};
    r[kBoxTypeNothingDetected] = {3, false, 1000, B::Hidden, B::Unchanged, BoxBody::DetectionText, kTextRemoved};
    r[kBoxTypeCheckLogger] = {0, false, 1000, B::Hidden, B::Hidden, BoxBody::LanguageText, kTextCheckLogger};
    r[kBoxTypeNotice] = {0, false, 5000, B::Shown, B::Hidden, BoxBody::CallerTexts, 0};
    r[kBoxTypeQuestion] = {0, false, 5000, B::Shown, B::Shown, BoxBody::CallerTexts, 0};
    r[kBoxTypeTwoButtons] = {0, false, 0, B::Shown, B::Shown, BoxBody::None, 0};
    r[kBoxTypeWaitingNotice] = {0, false, 0, B::Shown, B::Hidden, BoxBody::CallerTexts, 0};
    return r;
}

constexpr auto kRules = BuildRules();

}  // namespace

const BoxTypeRule& RuleOfBoxType(int type)
{
    return kRules[size_t(type >= 0 && type < kBoxTypeCount ? type : kBoxTypeTwoButtons)];
}

int BoxTypeOfReport(int code)
{
    switch (code) {
    case WM_DEVICE_FOUND:
        return kBoxTypeSensorsIdentified;
    case WM_DEVICE_NOT_FOUND:
        return kBoxTypeNothingDetected;
    case WM_DEVICE_CHECK_OTHER:
        return kBoxTypeCheckCables;
    case WM_DEVICE_CHECK_NOTICE:
        return kBoxTypeCheckLogger;
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
