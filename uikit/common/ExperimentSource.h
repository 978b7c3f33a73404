#pragma once

namespace logger {
struct ExperimentBlock;
struct SampleArrays;
}  // namespace logger

namespace uikit {

// What the measurement screen (screen slot 3) offers the screens that read its recording: the
// experiment block and the current data set's raw samples. The screen keeps both; readers hold
// plain pointers and never free them. Either may be null (not allocated).
class ExperimentSource {
public:
    virtual ~ExperimentSource() = default;
    virtual logger::ExperimentBlock* ExperimentData() = 0;
    virtual logger::SampleArrays* SampleData() = 0;
};

}  // namespace uikit
