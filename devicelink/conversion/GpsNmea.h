#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// NMEA position sentences of the GPS sensor, read from the bytes it delivers.
namespace devicelink {

inline constexpr size_t kNmeaFieldChars = 9;     // a field keeps at most this many characters
inline constexpr size_t kNmeaMaxFields = 20;     // fields past this are ignored

// One sentence ("$GP" + three-letter type + comma-separated fields); field 0 is the "$GPxxx"
// head. The views point into the bytes the sentence was split from.
struct NmeaSentence {
    std::string_view type;
    std::array<std::string_view, kNmeaMaxFields> fields{};
    size_t fieldCount = 0;

    std::string_view Field(size_t index) const
    {
        return index < fieldCount && index < fields.size() ? fields[index] : std::string_view();
    }
};

// Splits the next sentence starting at or after `from`; false when there is none. `next` is
// where the search for the following sentence continues.
bool NextNmeaSentence(std::string_view bytes, size_t from, NmeaSentence& sentence, size_t& next);

// Degrees from an NMEA "ddmm.mmmm" / "dddmm.mmmm" text, negated for an 'S' or 'W' letter;
// false (and 0) when the text holds no number.
bool NmeaDegrees(std::string_view text, char letter, double& degrees);

// The new position from the RMC texts. Each coordinate keeps its previous value when it had one
// (non-zero) and the new one jumps by more than 0.001 degree. The climb is accepted for the
// sentence pair's sake and does not alter the position. Returns 1 when both texts hold
// coordinates (latitude within +-90, longitude within +-180 degrees), else 0; a missing or
// impossible coordinate counts as 0.
int32_t GpsStepDistance(double previousLatitude, double previousLongitude, double climb,
                        std::string_view latitudeText, std::string_view longitudeText,
                        double* outLatitude, double* outLongitude, char hemisphere,
                        char eastWest);

}  // namespace devicelink
