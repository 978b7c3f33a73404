#pragma once

// Language-module string ids of the set-up, calibration and function generator dialogs.
namespace sensorsetup::text {

// Labels of the set-up mode.
inline constexpr int kSensorLabel = 2037;
inline constexpr int kModeLabel = 2038;
inline constexpr int kRangeLabel = 2039;
inline constexpr int kOutputArrow = 2040;
inline constexpr int kOffsetLabel = 2065;
inline constexpr int kFactorLabel = 2091;
inline constexpr int kOptionLabel = 2093;
inline constexpr int kLevelLabel = 2098;
inline constexpr int kTriggerLabel = 2223;
// Labels of the calibration mode.
inline constexpr int kValueLabel = 2205;
inline constexpr int kReferenceLabel = 2206;

// Buttons.
inline constexpr int kCaptureButton = 3060;
inline constexpr int kClearButton = 3061;
inline constexpr int kZeroButton = 3062;
// The live value when several readings in a row failed.
inline constexpr int kNoReading = 3063;

// Notices.
inline constexpr int kNotANumber = 3064;
inline constexpr int kSameReading = 3065;
inline constexpr int kCalibrationNotStored = 3066;
inline constexpr int kFrequencyOutOfRange = 3067;
inline constexpr int kAmplitudeOutOfRange = 3068;
inline constexpr int kZeroNotSet = 3069;
inline constexpr int kCalibrationNotCleared = 3070;
inline constexpr int kGeneratorUnreachable = 3071;

}  // namespace sensorsetup::text
