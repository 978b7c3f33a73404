#include "devicelink/conversion/GpsNmea.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/conversion/SampleConversionRoutines.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace devicelink {
namespace {

constexpr double kMaxCoordinateStep = 0.001;   // degrees per sentence
constexpr double kMaxAltitudeStep = 100.0;     // metres per sentence
// Readings beyond these are line noise, not positions. They must never be taken: the step
// filters would then hold the bad value against every good reading that follows.
constexpr double kMaxLatitude = 90.0;
constexpr double kMaxLongitude = 180.0;
constexpr double kMaxAltitude = 100000.0;      // metres either side of sea level

double Filtered(double previous, double candidate)
{
    if (previous != 0.0 && std::fabs(candidate - previous) > kMaxCoordinateStep)
        return previous;
    return candidate;
}

char FirstLetter(std::string_view field)
{
    return field.empty() ? '\0' : field.front();
}

// Degrees of one coordinate, or false (and 0) when the text holds none within +-limit.
bool Coordinate(std::string_view text, char letter, double limit, double& degrees)
{
    if (NmeaDegrees(text, letter, degrees) && std::fabs(degrees) <= limit)
        return true;
    degrees = 0.0;
    return false;
}

}  // namespace

bool NextNmeaSentence(std::string_view bytes, size_t from, NmeaSentence& sentence, size_t& next)
{
    const size_t start = bytes.find("$GP", from);
    if (start == std::string_view::npos) {
        next = bytes.size();
        return false;
    }
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos)
        end = bytes.size();
    next = end;

    const std::string_view text = bytes.substr(start, end - start);
    sentence = NmeaSentence{};
    sentence.type = text.substr(3, 3);
    size_t fieldStart = 0;
    while (sentence.fieldCount < kNmeaMaxFields) {
        const size_t comma = text.find(',', fieldStart);
        const size_t fieldEnd = comma == std::string_view::npos ? text.size() : comma;
        const size_t length = std::min(fieldEnd - fieldStart, kNmeaFieldChars);
        sentence.fields[sentence.fieldCount++] = text.substr(fieldStart, length);
        if (comma == std::string_view::npos)
            break;
        fieldStart = comma + 1;
    }
    return true;
}

bool NmeaDegrees(std::string_view text, char letter, double& degrees)
{
    degrees = 0.0;
    double value = 0.0;
    if (platform::ParseDoublePrefix(text, value) == 0 || !std::isfinite(value))
        return false;
    const double whole = std::trunc(value / 100.0);
    degrees = whole + (value - whole * 100.0) / 60.0;
    if (letter == 'S' || letter == 'W')
        degrees = -degrees;
    return true;
}

int32_t GpsStepDistance(double previousLatitude, double previousLongitude, double /*climb*/,
                        std::string_view latitudeText, std::string_view longitudeText,
                        double* outLatitude, double* outLongitude, char hemisphere,
                        char eastWest)
{
    double latitude = 0.0, longitude = 0.0;
    const bool parsedLatitude = Coordinate(latitudeText, hemisphere, kMaxLatitude, latitude);
    const bool parsedLongitude = Coordinate(longitudeText, eastWest, kMaxLongitude, longitude);
    if (outLatitude)
        *outLatitude = Filtered(previousLatitude, latitude);
    if (outLongitude)
        *outLongitude = Filtered(previousLongitude, longitude);
    return parsedLatitude && parsedLongitude ? 1 : 0;
}

namespace conversion {

int32_t ConvertGps(const Batch& b)
{
    // Too short for even a sentence head; the caller's arrays may be as short as the input.
    if (b.count < 3)
        return 0;
    GpsFixState& gps = ProcessConversionState().gps;
    // The receiver is read one 8-bit register at a time: each sample's word carries one
    // character of the text in its low byte.
    std::string text(size_t(b.count), '\0');
    for (int32_t i = 0; i < b.count; ++i)
        text[size_t(i)] = char(uint32_t(b.Sample(i)[0]) & 0xFFu);
    const std::string_view bytes = text;

    bool sawSentence = false;
    NmeaSentence sentence;
    size_t next = 0;
    for (size_t from = 0; NextNmeaSentence(bytes, from, sentence, next); from = next) {
        sawSentence = true;
        if (sentence.type == "RMC") {
            double latitude = 0.0, longitude = 0.0;
            GpsStepDistance(gps.latitude, gps.longitude, gps.climb, sentence.Field(3),
                            sentence.Field(5), &latitude, &longitude,
                            FirstLetter(sentence.Field(4)), FirstLetter(sentence.Field(6)));
            gps.latitude = latitude;
            gps.longitude = longitude;
        } else if (sentence.type == "GGA") {
            double altitude = 0.0;
            if (platform::ParseDoublePrefix(sentence.Field(9), altitude) > 0 &&
                std::fabs(altitude) <= kMaxAltitude) {
                const double previous = gps.altitude;
                if (previous == 0.0 || std::fabs(altitude - previous) <= kMaxAltitudeStep) {
                    gps.altitude = int32_t(altitude);
                    gps.climb = altitude - previous;
                }
            }
        }
    }

    if (sawSentence && std::trunc(gps.latitude) != 0.0 && std::trunc(gps.longitude) != 0.0) {
        gps.fixAltitude = float(gps.altitude);
        gps.fixLatitude = float(gps.latitude);
        gps.fixLongitude = float(gps.longitude);
    }
    const float time = b.SampleTime(0);
    b.values[0] = gps.fixLatitude;
    b.values[1] = gps.fixLongitude;
    b.values[2] = gps.fixAltitude;
    b.times[0] = b.times[1] = b.times[2] = time;
    return sawSentence ? 3 : 0;
}

}  // namespace conversion
}  // namespace devicelink
