#pragma once

// Language-module string ids the measurement screen and its set-up dialog show, and the message
// box types they use.
namespace measure::text {

inline constexpr int kNone = 0;

inline constexpr int kRunTitlePrefix = 2041;
inline constexpr int kNewRunRefused = 2086;
inline constexpr int kFourRunsExist = 2087;
inline constexpr int kLastRunDeleted = 2089;
inline constexpr int kMillisecondUnit = 2095;
inline constexpr int kTimeAxis = 2104;
inline constexpr int kCurrentRunEmpty = 2121;
inline constexpr int kDeleteQuestion = 2122;
inline constexpr int kDeleteWarning = 2123;
inline constexpr int kBackToSensors = 2124;
inline constexpr int kSampleAxis = 2211;

// Failures of a run and of the data sets.
inline constexpr int kNoSensorObject = 2820;
inline constexpr int kNoChannelOn = 2821;
inline constexpr int kStartRefused = 2822;
inline constexpr int kStoppedBeforeTrigger = 2823;
inline constexpr int kNoSampleArrived = 2824;
inline constexpr int kTriggerUnreadable = 2825;
inline constexpr int kRunNotSaved = 2826;
inline constexpr int kProjectNotWritten = 2827;
inline constexpr int kProjectNotRead = 2828;
inline constexpr int kStopRunFirst = 2829;
// The set-up dialog's checks.
inline constexpr int kRateOutOfRange = 2830;
inline constexpr int kChannelRateOutOfRange = 2831;
inline constexpr int kLengthOutOfRange = 2832;
inline constexpr int kRepeatOutOfRange = 2833;
inline constexpr int kMarkerOutOfRange = 2834;
// The set-up dialog's per-channel switch.
inline constexpr int kPerChannelRates = 3140;

// The message box's answer to OK (its kinds are uikit::MessageBoxKind).
inline constexpr int kAnswerOk = 1;

}  // namespace measure::text
