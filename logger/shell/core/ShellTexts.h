#pragma once

#include <cstdint>

// The language texts of the root window and the main menu.
namespace shell {

// Given by the screens' and the menu's layout.
inline constexpr int kTextProjects = 2027;     // menu button 1000; the project manager's window text
inline constexpr int kTextSensors = 2028;      // menu button 1001; the sensor monitor's
inline constexpr int kTextMeasure = 2029;      // menu button 1002; the measurement screen's
inline constexpr int kTextAnalyse = 2030;      // menu button 1003; the analysis screen's
inline constexpr int kTextExtras = 2031;       // menu button 1004
inline constexpr int kTextQuit = 2074;         // menu button 1005
inline constexpr int kTextPcSyncDone = 2082;
inline constexpr int kTextPcSyncLeaving = 2083;
inline constexpr int kTextPcSyncReceiving = 2120;
inline constexpr int kWindowTextChars = 32;

// Our own: why start-up ended, and the lost logger.
inline constexpr int kTextCatalogueUnreadable = 3020;  // text 2: the catalogue's path
inline constexpr int kTextNoLogger = 3021;
inline constexpr int kTextCatalogueTooOld = 3022;
inline constexpr int kTextFirmwareTooOld = 3023;
inline constexpr int kTextCatalogueDamaged = 3024;
inline constexpr int kTextLoggerLost = 3025;
inline constexpr int kTextRecordingKept = 3026;        // text 2 of kTextLoggerLost
// A run the working project could not take, held only in memory when the program ends.
inline constexpr int kTextAskSaveHeldRun = 3220;       // OK: save it elsewhere first
inline constexpr int kTextAskDropHeldRun = 3221;       // OK: close and lose it
inline constexpr int kTextHeldRunSaved = 3222;         // text 2 of kTextLoggerLost, then the file
inline constexpr int kTextHeldRunLost = 3223;          // text 2 of kTextLoggerLost

// The first text that says why the catalogue could not be taken: `xmlLoaded` is what
// LoadSensorXml gave, `catalogueResult` what LoadCatalogue gave (when it ran).
int CatalogueFailureTextId(int xmlLoaded, int32_t catalogueResult);

}  // namespace shell
