#include "logger/project/ProjectFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <vector>

#include "logger/project/FileIo.h"
#include "platform/Text.h"

namespace logger {

namespace {

using fileio::File;

constexpr int64_t kMoveChunk = 1 << 20;
constexpr int64_t kMaxFileLength = std::numeric_limits<int32_t>::max();

constexpr ProjectFileHeader kHeader{kProjectMagic, 0, kProjectVersion, 0};

bool IsAcceptedHeader(const ProjectFileHeader& header)
{
    return header.magic == kProjectMagic && header.version > kOldestRefusedVersion;
}

// A data set's span as read from disk is used only when it lies inside the data area.
bool IsValidSpan(int64_t offset, int64_t size, int64_t fileLength)
{
    return offset >= kDataAreaOffset && offset <= fileLength && size >= 0 && size <= fileLength - offset;
}

// Moves the `count` bytes at `from` down to `to` (to < from), in chunks.
bool MoveDown(File& file, int64_t from, int64_t to, int64_t count)
{
    std::vector<uint8_t> buffer(size_t(std::min(count, kMoveChunk)));
    int64_t moved = 0;
    while (moved < count) {
        const size_t want = size_t(std::min(count - moved, kMoveChunk));
        const int64_t got = file.ReadAt(from + moved, buffer.data(), want);
        if (got <= 0)
            return false;
        if (!file.WriteAt(to + moved, buffer.data(), size_t(got)))
            return false;
        moved += got;
    }
    return true;
}

// Reads up to `bytes` at `offset` into `target`, zero-filling what lies beyond the data or the
// end of the file. False on a read error.
bool ReadOrZero(const File& file, int64_t offset, int64_t available, void* target, size_t bytes)
{
    auto* out = static_cast<uint8_t*>(target);
    int64_t got = 0;
    if (available > 0)
        got = file.ReadAt(offset, out, size_t(std::min<int64_t>(available, int64_t(bytes))));
    if (got < 0)
        return false;
    std::memset(out + got, 0, bytes - size_t(got));
    return true;
}

}  // namespace

ProjectTime LocalProjectTime()
{
    ProjectTime time;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == std::time_t(-1) || localtime_r(&now, &local) == nullptr)
        return time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = uint8_t(local.tm_mday);
    time.hour = uint8_t(local.tm_hour);
    time.minute = uint8_t(local.tm_min);
    time.second = uint8_t(std::min(local.tm_sec, 59));
    return time;
}

ProjectFile::ProjectFile(ExperimentBlock& block, SampleArrays& samples, const std::string& dataFolder)
    : block_(block),
      samples_(samples),
      workingPath_((std::filesystem::path(dataFolder) / kWorkingName).string()),
      record_(std::make_unique<ProjectRecord>())
{
}

ProjectResult ProjectFile::NewProject(std::u16string_view title, const ProjectTime& time)
{
    ProjectRecord& record = *record_;
    std::memset(&record, 0, sizeof record);
    platform::CopyToFullField(record.title, title);
    ClearAllRuns(block_);
    record.year = time.year;
    record.month = time.month;
    record.day = time.day;
    record.hour = time.hour;
    record.minute = time.minute;
    record.second = time.second;
    InitNoteRecord(record.note);
    std::fill(std::begin(record.dataSize), std::end(record.dataSize), 0);
    std::fill(std::begin(record.dataOffset), std::end(record.dataOffset), kDataAreaOffset);

    // The old working copy goes first: a new project starts its data area right after the
    // head, and the save itself never shortens a file.
    if (fileio::FileExists(workingPath_)) {
        File old;
        if (!old.OpenReadWrite(workingPath_) || !old.Truncate(0)) {
            old.Close();
            if (std::remove(workingPath_.c_str()) != 0)
                return ProjectResult::OpenFailed;
        }
    }
    return SaveProjectFile(workingPath_, kSaveNew);
}

ProjectResult ProjectFile::SaveProjectFile(const std::string& path, int mode)
{
    if (mode != kSaveNew && mode != kSaveKeepRecord && mode != kSaveCurrent)
        return ProjectResult::BadMode;

    File file;
    bool created = false;
    if (!file.OpenReadWrite(path)) {
        // Only a file that is not there is made anew; one that exists and failed to open is
        // left alone.
        if (fileio::FileExists(path) || !file.CreateNew(path))
            return ProjectResult::OpenFailed;
        created = true;
    }
    int64_t length = file.Length();
    if (length < 0)
        return ProjectResult::IoError;
    if (!file.WriteAt(0, &kHeader, sizeof kHeader))
        return ProjectResult::IoError;

    ProjectRecord& record = *record_;
    const bool headOnDisk = !created && length >= kDataAreaOffset;
    if (mode == kSaveKeepRecord && headOnDisk) {
        auto onDisk = std::make_unique<ProjectRecord>();
        if (!file.ReadExactAt(kProjectRecordOffset, onDisk.get(), sizeof *onDisk))
            return ProjectResult::IoError;
        record = *onDisk;
    } else if (!headOnDisk) {
        // The data area starts behind a complete head.
        record.block = block_;
        if (!file.WriteAt(kProjectRecordOffset, &record, sizeof record))
            return ProjectResult::IoError;
        length = file.Length();
        if (length < 0)
            return ProjectResult::IoError;
    }
    // A head already on disk is rewritten only once the samples are in place: until then it
    // still describes the data stored before, whatever fails on the way.

    const int k = block_.currentIndex;
    if (const DataSetRecord* current = RecordAt(block_, k)) {
        // The current set's samples go to the end first, behind everything stored; a full disk
        // then fails the save before any stored data has moved.
        const int64_t end = length;
        if (end > kMaxFileLength)
            return ProjectResult::TooLarge;
        int64_t written = 0;
        if (current->inUse != 0) {
            for (int c = 0; c < kChannelCount; ++c) {
                const int64_t bytes = int64_t(StoredEntryCount(*current, c)) * 4;
                if (bytes == 0)
                    continue;
                if (end + written + 2 * bytes > kMaxFileLength)
                    return ProjectResult::TooLarge;
                if (!file.WriteAt(end + written, samples_.rawValues[c], size_t(bytes)) ||
                    !file.WriteAt(end + written + bytes, samples_.rawTimes[c], size_t(bytes)))
                    return ProjectResult::IoError;
                written += 2 * bytes;
            }
        }

        // Then the sets behind its old data move down over it; the file keeps its length.
        int64_t size = record.dataSize[k];
        const int64_t offset = record.dataOffset[k];
        if (!IsValidSpan(offset, size, length))
            size = 0;
        const int64_t tail = size > 0 ? length - offset - size : 0;
        if (tail > 0) {
            if (!MoveDown(file, offset + size, offset, tail))
                return ProjectResult::IoError;
            for (int j = 0; j < kRunCount; ++j) {
                if (j != k && record.dataOffset[j] > offset && record.dataOffset[j] <= length)
                    record.dataOffset[j] -= int32_t(size);
            }
        }
        record.dataSize[k] = int32_t(written);
        record.dataOffset[k] = int32_t(end);
    }

    record.block = block_;
    if (!file.WriteAt(kProjectRecordOffset, &record, sizeof record))
        return ProjectResult::IoError;
    return file.Close() ? ProjectResult::Ok : ProjectResult::IoError;
}

ProjectResult ProjectFile::LoadProjectFile(const std::string& path)
{
    File file;
    if (!file.OpenRead(path))
        return ProjectResult::OpenFailed;
    const int64_t length = file.Length();
    ProjectFileHeader header{};
    if (length < 0 || !file.ReadExactAt(0, &header, sizeof header) || !IsAcceptedHeader(header))
        return ProjectResult::NotAProject;
    auto read = std::make_unique<ProjectRecord>();
    if (!file.ReadExactAt(kProjectRecordOffset, read.get(), sizeof *read))
        return ProjectResult::NotAProject;

    const int k = block_.currentIndex;
    if (const DataSetRecord* set = RecordAt(read->block, k); set != nullptr && set->inUse != 0) {
        // Every count is clamped to the arrays, to what is left of the set's size and to the
        // file; whatever is missing reads as zeros, so a file cut short still gives what it holds.
        int64_t position = read->dataOffset[k];
        int64_t left = 0;
        if (IsValidSpan(position, 0, length))
            left = std::clamp<int64_t>(read->dataSize[k], 0, length - position);
        for (int c = 0; c < kChannelCount; ++c) {
            const int64_t bytes = int64_t(StoredEntryCount(*set, c)) * 4;
            if (bytes == 0)
                continue;
            // A read error is not a short file: zeros would pass for a recording.
            if (!ReadOrZero(file, position, left, samples_.rawValues[c], size_t(bytes)) ||
                !ReadOrZero(file, position + bytes, left - bytes, samples_.rawTimes[c], size_t(bytes)))
                return ProjectResult::IoError;
            position += 2 * bytes;
            left = std::max<int64_t>(left - 2 * bytes, 0);
        }
    }

    block_ = read->block;
    block_.currentIndex = k;
    *record_ = *read;
    file.Close();
    if (loaded_)
        loaded_();
    return ProjectResult::Ok;
}

ProjectResult ProjectFile::SaveProject()
{
    return SaveProjectFile(workingPath_, kSaveCurrent);
}

ProjectResult ProjectFile::SaveProjectKeepRecord()
{
    return SaveProjectFile(workingPath_, kSaveKeepRecord);
}

ProjectResult ProjectFile::LoadProject()
{
    return LoadProjectFile(workingPath_);
}

ProjectResult ProjectFile::CheckProjectFile(const std::string& path)
{
    File file;
    if (!file.OpenRead(path))
        return ProjectResult::OpenFailed;
    ProjectFileHeader header{};
    if (!file.ReadExactAt(0, &header, sizeof header) || !IsAcceptedHeader(header) ||
        file.Length() < kDataAreaOffset)
        return ProjectResult::NotAProject;
    return ProjectResult::Ok;
}

ProjectResult ProjectFile::OpenProject(const std::string& chosenPath)
{
    const ProjectResult check = CheckProjectFile(chosenPath);
    if (check != ProjectResult::Ok)
        return check;
    if (!fileio::CopyFileReplacing(chosenPath, workingPath_))
        return ProjectResult::IoError;
    return LoadProjectFile(workingPath_);
}

ProjectResult ProjectFile::SaveProjectAs(const std::string& chosenPath)
{
    if (!AnyRunInUse(record_->block))
        return ProjectResult::NothingToSave;
    return fileio::CopyFileReplacing(workingPath_, chosenPath) ? ProjectResult::Ok : ProjectResult::IoError;
}

}  // namespace logger
