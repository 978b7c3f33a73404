#pragma once

// A recorded project as the project manager finds it: two data sets in use (0 and 2) with
// graphs, analysis sets and notes, and a project note.

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectFile.h"
#include "platform/Text.h"
#include "tests/support/ProjectTestSupport.h"

namespace projectmgrtest {

inline void WriteNote(project::NoteRecord& note, std::u16string_view title, std::u16string_view text)
{
    project::InitNoteRecord(note);
    platform::CopyToFullField(note.title, title);
    platform::CopyToField(note.text, text);
    note.textLength = int32_t(text.size());
}

inline void AddAnalysis(project::DataSetRecord& record, int graph, int set, std::u16string_view name,
                        std::u16string_view note = {})
{
    record.graphs[graph].inUse = 1;
    project::AnalysisSettings& settings = *project::SettingsAt(record, graph, set);
    settings.inUse = 1;
    platform::CopyToFullField(settings.setName, name);
    project::InitNoteRecord(settings.memo);
    if (!note.empty())
        WriteNote(settings.memo, u"Fit note", note);
}

// Records sets 0 and 2 into the project and saves them.
inline void RecordLesson(project::ExperimentBlock& block, project::SampleArrays& samples, project::ProjectFile& project)
{
    for (int k : {0, 2}) {
        block.currentIndex = k;
        project::DataSetRecord& record = block.records[k];
        project::InitNoteRecord(record.note);
        platform::CopyToFullField(record.title, k == 0 ? u"Cooling water" : u"Pendulum");
        record.dataSetSerial = project::kSerialBase + k;
        projecttest::StopInto(block, samples, k, k == 0 ? std::vector<int32_t>{400, 400} : std::vector<int32_t>{900});
        record.graphCount = 2;
        EXPECT_EQ(project.SaveProject(), project::ProjectResult::Ok);
    }
    project::DataSetRecord& cooling = block.records[0];
    WriteNote(cooling.note, u"Observations", u"The beaker was stirred.");
    AddAnalysis(cooling, 0, 0, u"Linear fit", u"Slope is the cooling rate.");
    AddAnalysis(cooling, 0, 2, u"Mean");
    AddAnalysis(cooling, 1, 0, u"Integral");
    AddAnalysis(block.records[2], 0, 0, u"Period");
    WriteNote(project.Record().note, u"Lesson plan", u"Year 9, room 4.");
    EXPECT_EQ(project.SaveProject(), project::ProjectResult::Ok);
}

}  // namespace projectmgrtest
