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

namespace project {

namespace {

using fileio::File;

constexpr size_t kCopyChunk = 4 << 20;
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

// Where one data set's samples lie in the data area.
struct Span {
    int64_t offset = kDataAreaOffset;
    int64_t size = 0;
    int64_t End() const { return offset + size; }
};

// Data set j's samples as a file's head describes them, cut at the end of the file (as the loader
// reads them); none unless they start inside the data area.
Span StoredSpan(const ProjectRecord& head, int j, int64_t fileLength)
{
    const int64_t offset = head.dataOffset[j];
    const int64_t size = std::min<int64_t>(head.dataSize[j], fileLength - offset);
    if (size <= 0 || !IsValidSpan(offset, size, fileLength))
        return {};
    return {offset, size};
}

// Bytes of a data set's samples in the data area: each channel's value and time entries.
int64_t SampleBytesOf(const DataSetRecord& record)
{
    if (record.inUse == 0)
        return 0;
    int64_t bytes = 0;
    for (int c = 0; c < kChannelCount; ++c)
        bytes += int64_t(StoredEntryCount(record, c)) * 8;
    return bytes;
}

// A data set's samples change only when a measurement stops into it, which raises its serial, or
// when its counts change; a rename, a note or an analysis leaves them as they are.
bool SameSamples(const DataSetRecord& stored, const DataSetRecord& live)
{
    if (stored.inUse == 0 || live.inUse == 0 || stored.dataSetSerial != live.dataSetSerial)
        return false;
    for (int c = 0; c < kChannelCount; ++c) {
        if (StoredEntryCount(stored, c) != StoredEntryCount(live, c))
            return false;
    }
    return true;
}

// The data set current after a load: the one current before when the loaded block holds it,
// else the last one recorded, else the last one made. Kept as it was, an index naming no set
// would leave every screen on a blank record that a run could be started into.
int CurrentAfterLoad(const ExperimentBlock& loaded, int kept)
{
    if (const DataSetRecord* record = RecordAt(loaded, kept); record != nullptr && IsCreated(*record))
        return kept;
    for (int k = kRunCount - 1; k >= 0; --k) {
        if (loaded.records[k].inUse != 0)
            return k;
    }
    for (int k = kRunCount - 1; k >= 0; --k) {
        if (IsCreated(loaded.records[k]))
            return k;
    }
    return kept;
}

int64_t DataEnd(const std::vector<Span>& spans)
{
    int64_t end = kDataAreaOffset;
    for (const Span& span : spans) {
        if (span.size > 0)
            end = std::max(end, span.End());
    }
    return end;
}

// Where data set k's `bytes` of samples go, never over another set's: back where they were when
// they still fit there (moved to the front of the room they stand in), else into the first room
// large enough between the other sets, else behind the last of them.
int64_t PlaceSamples(const std::vector<Span>& spans, int k, int64_t bytes)
{
    std::vector<Span> others;
    for (int j = 0; j < int(spans.size()); ++j) {
        if (j != k && spans[j].size > 0)
            others.push_back(spans[j]);
    }
    std::sort(others.begin(), others.end(), [](const Span& a, const Span& b) { return a.offset < b.offset; });

    struct Room {
        int64_t start;
        int64_t end;   // exclusive; the room behind the last set has no end
    };
    std::vector<Room> rooms;
    int64_t cursor = kDataAreaOffset;
    for (const Span& span : others) {
        if (span.offset > cursor)
            rooms.push_back({cursor, span.offset});
        cursor = std::max(cursor, span.End());
    }
    rooms.push_back({cursor, std::numeric_limits<int64_t>::max()});

    const Span& old = spans[size_t(k)];
    if (old.size > 0) {
        for (const Room& room : rooms) {
            if (old.offset >= room.start && old.offset < room.end && room.end - room.start >= bytes)
                return room.start;
        }
    }
    for (const Room& room : rooms) {
        if (room.end - room.start >= bytes)
            return room.start;
    }
    return cursor;
}

// The current set's samples at `position`: per channel with entries, its values, then its times.
bool WriteSamples(File& file, int64_t position, const DataSetRecord& record, const SampleArrays& samples)
{
    for (int c = 0; c < kChannelCount; ++c) {
        const int64_t bytes = int64_t(StoredEntryCount(record, c)) * 4;
        if (bytes == 0)
            continue;
        if (!file.WriteAt(position, samples.rawValues[c], size_t(bytes)) ||
            !file.WriteAt(position + bytes, samples.rawTimes[c], size_t(bytes)))
            return false;
        position += 2 * bytes;
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

// Data set k's samples as `head` (read from `file`) places them, into `samples`; every count is
// clamped to the arrays, to what is left of the set's size and to the file, and whatever is
// missing reads as zeros, so a file cut short still gives what it holds. False on a read error.
bool ReadSetSamples(const File& file, const ProjectRecord& head, int k, int64_t length, SampleArrays& samples)
{
    const DataSetRecord* set = RecordAt(head.block, k);
    if (set == nullptr || set->inUse == 0)
        return true;
    int64_t position = head.dataOffset[k];
    int64_t left = 0;
    if (IsValidSpan(position, 0, length))
        left = std::clamp<int64_t>(head.dataSize[k], 0, length - position);
    for (int c = 0; c < kChannelCount; ++c) {
        const int64_t bytes = int64_t(StoredEntryCount(*set, c)) * 4;
        if (bytes == 0)
            continue;
        // A read error is not a short file: zeros would pass for a recording.
        if (!ReadOrZero(file, position, left, samples.rawValues[c], size_t(bytes)) ||
            !ReadOrZero(file, position + bytes, left - bytes, samples.rawTimes[c], size_t(bytes)))
            return false;
        position += 2 * bytes;
        left = std::max<int64_t>(left - 2 * bytes, 0);
    }
    return true;
}

// A project file's header and head; false unless it is a project of this program.
bool ReadHead(const File& file, int64_t length, ProjectRecord& head)
{
    ProjectFileHeader header{};
    return length >= kDataAreaOffset && file.ReadExactAt(0, &header, sizeof header) && IsAcceptedHeader(header) &&
           file.ReadExactAt(kProjectRecordOffset, &head, sizeof head);
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
    held_.reset();
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
    return SaveProjectFile(workingPath_, SaveMode::New);
}

ProjectResult ProjectFile::SaveProjectFile(const std::string& path, SaveMode mode)
{
    const bool working = path == workingPath_;
    // While another set is visited, the held one's record in the live block describes samples
    // that only the memory has: a head written now would pair it with its old stored copy.
    if (working && held_ && block_.currentIndex != held_->index)
        return ProjectResult::IoError;
    const ProjectResult result = WriteProjectFile(path, mode);
    if (working) {
        if (result == ProjectResult::Ok)
            held_.reset();
        else
            HoldCurrentRun();
    }
    return result;
}

ProjectResult ProjectFile::WriteProjectFile(const std::string& path, SaveMode mode)
{
    File file;
    bool created = false;
    if (!file.OpenReadWrite(path)) {
        // Only a file that is not there is made anew; one that exists and failed to open is
        // left alone.
        if (fileio::FileExists(path) || !file.CreateNew(path))
            return ProjectResult::OpenFailed;
        created = true;
    }
    const int64_t length = file.Length();
    if (length < 0)
        return ProjectResult::IoError;
    // A write that fails part way (a disk full in the middle of it) leaves nothing behind the
    // data the file's head describes.
    const auto failed = [&](ProjectResult result) {
        if (file.Length() > length)
            file.Truncate(length);
        return result;
    };

    // What the file holds now. Where samples lie is always the file's own business: its head's
    // sizes and offsets describe its data area, whatever the memory says.
    auto onDisk = std::make_unique<ProjectRecord>();
    ProjectFileHeader header{};
    bool headOnDisk = false;
    if (!created && length >= kDataAreaOffset) {
        if (!file.ReadExactAt(0, &header, sizeof header))
            return ProjectResult::IoError;
        headOnDisk = IsAcceptedHeader(header);
        if (headOnDisk && !file.ReadExactAt(kProjectRecordOffset, onDisk.get(), sizeof *onDisk))
            return ProjectResult::IoError;
    }

    auto next = std::make_unique<ProjectRecord>(mode == SaveMode::KeepRecord && headOnDisk ? *onDisk : *record_);
    next->block = block_;
    std::vector<Span> spans(kRunCount);
    for (int j = 0; j < kRunCount; ++j) {
        spans[j] = headOnDisk ? StoredSpan(*onDisk, j, length) : Span{};
        // A set no longer in use gives its room back.
        if (block_.records[j].inUse == 0)
            spans[j] = Span{};
    }

    bool samplesWritten = false;
    const int k = block_.currentIndex;
    if (const DataSetRecord* current = RecordAt(block_, k)) {
        const int64_t bytes = SampleBytesOf(*current);
        const bool unchanged = headOnDisk && spans[k].size == bytes &&
                               (bytes == 0 || SameSamples(onDisk->block.records[k], *current));
        if (!unchanged) {
            int64_t position = kDataAreaOffset;
            if (bytes > 0) {
                position = PlaceSamples(spans, k, bytes);
                if (position + bytes > kMaxFileLength)
                    return ProjectResult::TooLarge;
                // Another set's samples are never written over: a failure here costs at most the
                // stored copy of this set, which the samples in memory replace.
                if (!WriteSamples(file, position, *current, samples_))
                    return failed(ProjectResult::IoError);
                samplesWritten = true;
            }
            spans[k] = Span{position, bytes};
        }
    }
    for (int j = 0; j < kRunCount; ++j) {
        next->dataSize[j] = int32_t(spans[j].size);
        next->dataOffset[j] = int32_t(spans[j].size > 0 ? spans[j].offset : kDataAreaOffset);
    }

    // The head goes last, once the samples it describes are in place. Nothing is written when
    // neither the samples nor the head changed.
    const bool headChanged = !headOnDisk || std::memcmp(&header, &kHeader, sizeof header) != 0 ||
                             std::memcmp(next.get(), onDisk.get(), sizeof *next) != 0;
    if (headChanged || samplesWritten) {
        if (!file.WriteAt(0, &kHeader, sizeof kHeader) || !file.WriteAt(kProjectRecordOffset, next.get(), sizeof *next))
            return failed(ProjectResult::IoError);
    }
    // Nothing lies behind the last set's samples; a file left longer is still whole, so a
    // failure to shorten it is not one of the save.
    const int64_t end = DataEnd(spans);
    if (end < length)
        file.Truncate(end);
    if (!file.Close())
        return ProjectResult::IoError;
    *record_ = *next;
    return ProjectResult::Ok;
}

ProjectResult ProjectFile::LoadProjectFile(const std::string& path)
{
    if (held_ && path == workingPath_)
        return LoadWhileHolding(path);
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

    const int k = CurrentAfterLoad(read->block, block_.currentIndex);
    if (!ReadSetSamples(file, *read, k, length, samples_))
        return ProjectResult::IoError;

    block_ = read->block;
    block_.currentIndex = k;
    *record_ = *read;
    file.Close();
    if (loaded_)
        loaded_();
    return ProjectResult::Ok;
}

ProjectResult ProjectFile::LoadWhileHolding(const std::string& path)
{
    const int k = block_.currentIndex;
    const DataSetRecord* live = RecordAt(block_, k);
    if (k == held_->index) {
        if (live == nullptr || !HeldMatches(*live)) {
            // The set was recorded again since (and that run is current, not held).
            held_.reset();
            return LoadProjectFile(path);
        }
        for (int c = 0; c < kChannelCount; ++c) {
            std::copy(held_->values[c].begin(), held_->values[c].end(), samples_.rawValues[c]);
            std::copy(held_->times[c].begin(), held_->times[c].end(), samples_.rawTimes[c]);
        }
    } else if (live != nullptr && live->inUse != 0) {
        // The live block stays as it is: the working copy's block does not hold the held run.
        File file;
        if (!file.OpenRead(path))
            return ProjectResult::OpenFailed;
        const int64_t length = file.Length();
        auto read = std::make_unique<ProjectRecord>();
        if (!ReadHead(file, length, *read))
            return ProjectResult::NotAProject;
        if (!SameSamples(read->block.records[k], *live) || !ReadSetSamples(file, *read, k, length, samples_))
            return ProjectResult::IoError;
    }
    if (loaded_)
        loaded_();
    return ProjectResult::Ok;
}

void ProjectFile::HoldCurrentRun()
{
    const int k = block_.currentIndex;
    const DataSetRecord* current = RecordAt(block_, k);
    if (current == nullptr || SampleBytesOf(*current) == 0)
        return;
    if (held_ && held_->index == k && HeldMatches(*current))
        return;
    // Samples the working copy already holds (a head that failed to change) are not held.
    if (!held_ && SameSamples(record_->block.records[k], *current) && record_->dataSize[k] == SampleBytesOf(*current))
        return;
    auto run = std::make_unique<HeldRun>();
    run->index = k;
    run->serial = current->dataSetSerial;
    for (int c = 0; c < kChannelCount; ++c) {
        const int32_t count = StoredEntryCount(*current, c);
        run->counts[c] = count;
        run->values[c].assign(samples_.rawValues[c], samples_.rawValues[c] + count);
        run->times[c].assign(samples_.rawTimes[c], samples_.rawTimes[c] + count);
    }
    held_ = std::move(run);
}

bool ProjectFile::HeldMatches(const DataSetRecord& record) const
{
    if (!held_ || record.inUse == 0 || record.dataSetSerial != held_->serial)
        return false;
    for (int c = 0; c < kChannelCount; ++c) {
        if (StoredEntryCount(record, c) != held_->counts[c])
            return false;
    }
    return true;
}

ProjectResult ProjectFile::SaveProject()
{
    return SaveProjectFile(workingPath_, SaveMode::Current);
}

ProjectResult ProjectFile::SaveProjectKeepRecord()
{
    return SaveProjectFile(workingPath_, SaveMode::KeepRecord);
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
    // The user chose to give up what this project held, a held run too.
    held_.reset();
    return LoadProjectFile(workingPath_);
}

ProjectResult ProjectFile::SaveProjectAs(const std::string& chosenPath, SetsOutOfReach outOfReach)
{
    if (!AnyRunInUse(block_))
        return ProjectResult::NothingToSave;

    // The live block and head are the project. The current set's samples (and a held run's)
    // come from memory, every other set's from the working copy, which must hold them as the
    // live block describes them.
    struct Source {
        const uint32_t* values[kChannelCount] = {};
        const int32_t* times[kChannelCount] = {};
        Span stored;   // in the working copy, when not in memory
        bool inMemory = false;
    };
    std::vector<Source> sources(kRunCount);
    File in;
    int64_t length = -1;
    bool workingCopyRead = false;
    ProjectResult workingCopy = ProjectResult::Ok;
    auto stored = std::make_unique<ProjectRecord>();
    auto head = std::make_unique<ProjectRecord>(*record_);
    head->block = block_;
    // The current index is the head's as last written or read: a project opened and saved as
    // again is the same file.
    head->block.currentIndex = record_->block.currentIndex;
    int64_t cursor = kDataAreaOffset;
    for (int j = 0; j < kRunCount; ++j) {
        const DataSetRecord& live = block_.records[j];
        int64_t bytes = SampleBytesOf(live);
        Source& source = sources[size_t(j)];
        if (bytes > 0 && held_ && j == held_->index && HeldMatches(live)) {
            source.inMemory = true;
            for (int c = 0; c < kChannelCount; ++c) {
                source.values[c] = held_->values[c].data();
                source.times[c] = held_->times[c].data();
            }
        } else if (bytes > 0 && j == block_.currentIndex) {
            source.inMemory = true;
            for (int c = 0; c < kChannelCount; ++c) {
                source.values[c] = samples_.rawValues[c];
                source.times[c] = samples_.rawTimes[c];
            }
        } else if (bytes > 0) {
            if (!workingCopyRead) {
                workingCopyRead = true;
                if (!in.OpenRead(workingPath_))
                    workingCopy = ProjectResult::OpenFailed;
                else if (length = in.Length(); !ReadHead(in, length, *stored))
                    workingCopy = ProjectResult::NotAProject;
            }
            ProjectResult reach = workingCopy;
            if (reach == ProjectResult::Ok) {
                source.stored = StoredSpan(*stored, j, length);
                if (source.stored.size != bytes || !SameSamples(stored->block.records[j], live))
                    reach = ProjectResult::IoError;
            }
            if (reach != ProjectResult::Ok) {
                if (outOfReach == SetsOutOfReach::Fail)
                    return reach;
                source.stored = {};
                head->block.records[j].inUse = 0;
                bytes = 0;
            }
        }
        head->dataSize[j] = int32_t(bytes);
        head->dataOffset[j] = int32_t(bytes > 0 ? cursor : kDataAreaOffset);
        cursor += bytes;
        if (cursor > kMaxFileLength)
            return ProjectResult::TooLarge;
    }

    fileio::ReplacingFile out;
    if (!out.Begin(chosenPath) || !out.Write(&kHeader, sizeof kHeader) || !out.Write(head.get(), sizeof *head))
        return ProjectResult::IoError;
    std::vector<uint8_t> buffer;
    for (int j = 0; j < kRunCount; ++j) {
        const Source& source = sources[size_t(j)];
        if (source.inMemory) {
            for (int c = 0; c < kChannelCount; ++c) {
                const size_t bytes = size_t(StoredEntryCount(block_.records[j], c)) * 4;
                if (bytes > 0 && (!out.Write(source.values[c], bytes) || !out.Write(source.times[c], bytes)))
                    return ProjectResult::IoError;
            }
            continue;
        }
        buffer.resize(kCopyChunk);
        for (int64_t done = 0; done < source.stored.size;) {
            const size_t want = size_t(std::min<int64_t>(source.stored.size - done, int64_t(buffer.size())));
            const int64_t got = in.ReadAt(source.stored.offset + done, buffer.data(), want);
            if (got <= 0 || !out.Write(buffer.data(), size_t(got)))
                return ProjectResult::IoError;
            done += got;
        }
    }
    if (!out.Commit())
        return ProjectResult::IoError;
    if (held_)
        held_->savedElsewhere = true;
    return ProjectResult::Ok;
}

}  // namespace project
