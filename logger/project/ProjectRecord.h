#pragma once

#include <cstddef>
#include <cstdint>

#include "logger/project/ExperimentRecords.h"

// The project file: a 16-byte header, the ProjectRecord (project head plus the ExperimentBlock
// image) and a data area holding the raw samples of each data set.
namespace project {

constexpr uint32_t kProjectMagic = 0x12345678;
constexpr int32_t kProjectVersion = 201110101;
// Files whose version word is at or below this are refused.
constexpr int32_t kOldestRefusedVersion = 20110100;

struct ProjectFileHeader {
    uint32_t magic;
    int32_t reserved0;
    int32_t version;
    int32_t reserved1;
};
static_assert(sizeof(ProjectFileHeader) == 16);
static_assert(offsetof(ProjectFileHeader, magic) == 0);
static_assert(offsetof(ProjectFileHeader, version) == 8);

struct ProjectRecord {
    int32_t year;      // 0 when the local time is not available
    int32_t month;     // 1-12, 0 when not available
    uint8_t day;       // 1-31, 0 when not available
    uint8_t hour;      // 255 when not available
    uint8_t minute;    // 255 when not available
    uint8_t second;    // 255 when not available
    uint8_t reserved[12];
    char16_t title[64];   // may be full without a terminator
    NoteRecord note;
    int32_t dataSize[kRunCount];     // bytes of sample data of data set k
    int32_t dataOffset[kRunCount];   // file offset of data set k's sample data
    ExperimentBlock block;
};
static_assert(sizeof(ProjectRecord) == 525496);
static_assert(offsetof(ProjectRecord, year) == 0);
static_assert(offsetof(ProjectRecord, month) == 4);
static_assert(offsetof(ProjectRecord, day) == 8);
static_assert(offsetof(ProjectRecord, hour) == 9);
static_assert(offsetof(ProjectRecord, minute) == 10);
static_assert(offsetof(ProjectRecord, second) == 11);
static_assert(offsetof(ProjectRecord, reserved) == 12);
static_assert(offsetof(ProjectRecord, title) == 24);
static_assert(offsetof(ProjectRecord, note) == 152);
static_assert(offsetof(ProjectRecord, note) + offsetof(NoteRecord, text) == 216);
static_assert(offsetof(ProjectRecord, note) + offsetof(NoteRecord, textLength) == 984);
static_assert(offsetof(ProjectRecord, dataSize) == 1176);
static_assert(offsetof(ProjectRecord, dataOffset) == 1192);
static_assert(offsetof(ProjectRecord, block) == 1208);

constexpr int64_t kProjectRecordOffset = sizeof(ProjectFileHeader);
constexpr int32_t kDataAreaOffset = int32_t(sizeof(ProjectFileHeader) + sizeof(ProjectRecord));
static_assert(kDataAreaOffset == 525512);

// Results of the project file operations.
enum class ProjectResult : int32_t {
    Ok = 0,
    OpenFailed = 1,      // the file could not be opened or created
    NotAProject = 2,     // wrong magic, too old a version, or shorter than the project head
    IoError = 3,         // a read, write, sync or rename failed; the caller must say so
    NothingToSave = 4,   // no data set is in use
    TooLarge = 6,        // the file would pass the 2 GiB its 32-bit offsets can address
};

}  // namespace project
