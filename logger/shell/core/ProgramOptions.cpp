#include "logger/shell/core/ProgramOptions.h"

#include "platform/NamedEvent.h"

#include <cerrno>
#include <ctime>
#include <utility>

namespace shell {

namespace {

class RealtimeClockSetter final : public ClockSetter {
public:
    int SetLocalTime(const LocalDateTime& time) override
    {
        std::tm local{};
        local.tm_year = time.year - 1900;
        local.tm_mon = time.month - 1;
        local.tm_mday = time.day;
        local.tm_hour = time.hour;
        local.tm_min = time.minute;
        local.tm_sec = time.second;
        local.tm_isdst = -1;  // whatever the zone says for that day
        const std::tm asked = local;
        const std::time_t seconds = std::mktime(&local);
        // mktime moves a time that does not exist (a day 31 of a short month) instead of failing.
        if (seconds == std::time_t(-1) || local.tm_mday != asked.tm_mday || local.tm_mon != asked.tm_mon)
            return EINVAL;
        const timespec now{seconds, long(time.millisecond) * 1000000L};
        return clock_settime(CLOCK_REALTIME, &now) == 0 ? 0 : errno;
    }
};

}  // namespace

ClockSetter& SystemClockSetter()
{
    static RealtimeClockSetter setter;
    return setter;
}

ProgramOptionsModel::ProgramOptionsModel(platform::RegistryStore& registry, ClockSetter& clock,
                                         std::u16string eventName)
    : registry_(registry), clock_(clock), eventName_(std::move(eventName))
{
}

int ProgramOptionsModel::InitialBackLightEntry() const
{
    uint32_t level = 0;
    if (!registry_.ReadDword(platform::RegistryRoot::CurrentUser, kBackLightKey, kBrightLevelValue, level))
        return kDefaultBackLightEntry;
    if (level < 1 || level > uint32_t(kBackLightLevelCount))
        return kNoBackLightEntry;
    return int(level) - 1;
}

OptionsOutcome ProgramOptionsModel::Accept(const LocalDateTime& time, bool pickerEdited, int backLightEntry)
{
    OptionsOutcome outcome;
    // Unedited pickers show the time the dialog opened at: setting it would put the clock back.
    if (pickerEdited) {
        LocalDateTime wanted = time;
        wanted.millisecond = 0;
        outcome.clockChanged = true;
        outcome.clockError = clock_.SetLocalTime(wanted);
    }
    if (backLightEntry >= 0 && backLightEntry < kBackLightLevelCount) {
        outcome.brightLevelWritten = registry_.WriteDword(platform::RegistryRoot::CurrentUser, kBackLightKey,
                                                          kBrightLevelValue, uint32_t(backLightEntry + 1));
    }
    outcome.eventSignalled = platform::FireNamedEvent(eventName_) != 0;
    return outcome;
}

}  // namespace shell
