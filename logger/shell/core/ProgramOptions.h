#pragma once

#include "platform/RegistryStore.h"

#include <string>
#include <string_view>

// The options dialog without its widgets: the back-light level it keeps, the machine's clock it
// sets and the named event it signals when it is accepted. The clock setter, the registry store
// and the event name come in from outside, so that tests run it on a fake clock, an in-memory
// registry and an event of their own.
namespace shell {

inline constexpr char kBackLightKey[] = "ControlPanel\\BackLight";
inline constexpr char kBrightLevelValue[] = "BrightLevel";
inline constexpr int kBackLightLevelCount = 4;  // levels 1..4, entries 0..3
inline constexpr int kDefaultBackLightEntry = 1;
inline constexpr int kNoBackLightEntry = -1;

// A local date and time as the pickers give it.
struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Sets the machine's clock to a local time. 0 on success, else an errno code (EPERM without the
// right to set it, EINVAL for a time that does not exist).
class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    virtual int SetLocalTime(const LocalDateTime& time) = 0;
};

// clock_settime(CLOCK_REALTIME) of the local time the C library's time zone gives.
ClockSetter& SystemClockSetter();

// What accepting the dialog did.
struct OptionsOutcome {
    bool clockChanged = false;   // the clock was to be set
    int clockError = 0;          // and the setter's result (0: it was set)
    bool brightLevelWritten = false;
    bool eventSignalled = false;
};

class ProgramOptionsModel {
public:
    ProgramOptionsModel(platform::RegistryStore& registry, ClockSetter& clock, std::u16string eventName);

    // The back-light entry to select: the stored level - 1 when the level can be read and is one
    // of the four, kDefaultBackLightEntry when none can be read, and kNoBackLightEntry for a
    // stored level outside 1..4 (left as it is: nothing is selected, so nothing is written).
    int InitialBackLightEntry() const;

    // OK: the clock is set to `time` (milliseconds dropped) only when a picker was edited; the
    // back-light level is written when an entry is selected; the event is signalled.
    OptionsOutcome Accept(const LocalDateTime& time, bool pickerEdited, int backLightEntry);

    const std::u16string& EventName() const { return eventName_; }

private:
    platform::RegistryStore& registry_;
    ClockSetter& clock_;
    std::u16string eventName_;
};

}  // namespace shell
