#pragma once

// What the analysis screen's suites share: a run recorded once from the simulated logger (a
// temperature ramp on channel A, a voltage sine on channel B, 100 samples a second for 2 s), a stand-in
// for the measurement screen that holds it in screen slot 3 and loads its series as the
// measurement screen does, and the screen itself on the common services, with a message box and
// dialogs that answer for the user.

#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/toolkit/ToolkitTestSupport.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/analysis/CatalogueUnits.h"
#include "platform/Text.h"
#include "uikit/chart/CNIXYChart.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace screentest {

using analysis::CAnalyzeDlg;
using uikit::CVRDCommonBase;

constexpr int kRate = 100;
constexpr int kSeconds = 2;
constexpr int kSamples = kRate * kSeconds;

inline std::string CataloguePath() { return CORVIK_DATA_DIR "/sensor_korean.xml"; }

using toolkittest::Spin;

// One recorded series as the measurement screen converts it for its chart.
struct RecordedSeries {
    int series = 0;
    std::vector<float> values;
    std::vector<float> times;
    std::u16string name;
};

struct RecordedRun {
    std::unique_ptr<project::DataSetRecord> record;
    std::unique_ptr<project::SampleArrays> samples;
    std::vector<RecordedSeries> series;
    std::string error;
};

// A timed run of channels A and B against the simulated logger, through the real sensor object
// and device layer, left in a data set as the measurement screen leaves it when the run stops.
inline RecordedRun RecordFromSimulatedLogger()
{
    RecordedRun run;
    devsim::testing::InProcessDevsim sim;
    if (!sim.Plug(0, "N2H ramp start=20 slope=3") || !sim.Plug(1, "R75 sine offset=0 amplitude=4.5 period=1")) {
        run.error = "plug";
        return run;
    }
    if (!sim.Start(run.error))
        return run;
    sim.PointDriverHere();
    auto sensor = std::make_unique<devicelink::CNI2CSensor>();
    if (sensor->LoadSensorXml(CataloguePath()) != 1 || sensor->LoadCatalogue() != 1) {
        run.error = "catalogue";
        return run;
    }
    int32_t poll = -1;
    corviktest::WaitUntil([&] { return (poll = sensor->PollSensorState()) == devicelink::kPollPlugged; }, 2000);
    std::u16string text;
    if (poll != devicelink::kPollPlugged || sensor->DetectSensors(text) != 1) {
        run.error = "detection";
        return run;
    }
    devicelink::ResetConversionState();
    devicelink::AcquisitionPlan plan;
    plan.selection[0] = plan.channelFlags[0] = 1;
    plan.selection[1] = plan.channelFlags[1] = 1;
    plan.interval = 1000000 / kRate;
    plan.lengthSeconds = kSeconds;
    plan.count = kSamples;
    sensor->StartAcquisition(plan);
    const auto& host = sensor->acquisitionRequest().host;
    auto count = [&host](int c) { return host.counts[c]->load(std::memory_order_acquire); };
    const bool done = corviktest::WaitUntil([&] { return count(0) >= kSamples && count(1) >= kSamples; }, 15000);
    sensor->StopAcquisition();
    if (!done) {
        run.error = "run did not finish";
        return run;
    }

    run.record = std::make_unique<project::DataSetRecord>();
    run.samples = std::make_unique<project::SampleArrays>();
    project::DataSetRecord& r = *run.record;
    std::memset(&r, 0, sizeof r);
    r.inUse = 1;
    platform::CopyToField(r.title, u"Run1");
    r.length = kSeconds;
    r.rate = kRate;
    r.period = plan.interval;
    r.totalTarget = kSamples;
    r.stopCount = 1;
    r.selectedChannel = 0;
    r.dataSetSerial = project::kSerialBase + 1;   // made, then stopped into once
    project::InitNoteRecord(r.note);
    for (int c = 0; c < 2; ++c) {
        devicelink::ChannelState state = sensor->channel(c);
        state.allOutputs = 0;
        state.timeOrigin = 0.0f;
        state.timeUnit = 0.001f;
        state.timeFactor = 1.0f;
        r.channels[c] = project::ToStateImage(state);
        r.channelRecorded[c] = 1;
        r.targetCount[c] = kSamples;
        r.channelRate[c] = kRate;
        const int n = std::min(count(c), kSamples);
        r.sampleCount[c] = n;
        std::memcpy(run.samples->rawValues[c], host.values[c], size_t(n) * sizeof(uint32_t));
        std::memcpy(run.samples->rawTimes[c], host.times[c], size_t(n) * sizeof(int32_t));

        const devicelink::SensorAccessRecord* access = sensor->FindSensorRecord(&state);
        RecordedSeries s;
        s.series = c;
        s.values.resize(size_t(n));
        s.times.resize(size_t(n));
        int32_t produced = 0;
        sensor->ConvertChannelData(c, 0, n, reinterpret_cast<const int32_t*>(run.samples->rawValues[c]),
                                   run.samples->rawTimes[c], s.values.data(), s.times.data(),
                                   run.samples->rawTimes[c][0], access, &state, &produced);
        s.values.resize(size_t(produced));
        s.times.resize(size_t(produced));
        run.series.push_back(std::move(s));
    }
    sensor.reset();   // closes the device
    sim.Stop();
    return run;
}

inline const RecordedRun& SharedRun()
{
    static const RecordedRun run = RecordFromSimulatedLogger();
    return run;
}

// The measurement screen as far as the analysis screen sees it: the block and the samples in
// slot 3, and the recorded series in the shared chart records.
class MeasurementStandIn : public QWidget, public uikit::ExperimentSource {
public:
    explicit MeasurementStandIn(QWidget* parent) : QWidget(parent)
    {
        std::memset(block.get(), 0, sizeof *block);
        uikit::GetChartSeriesTable(loader.SeriesTable());
        CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, this);
        hide();
    }
    project::ExperimentBlock* ExperimentData() override { return block.get(); }
    project::SampleArrays* SampleData() override { return samples.get(); }

    // The shared run as data set k, made current with its series loaded.
    project::DataSetRecord& LoadRun(const RecordedRun& run, int k)
    {
        project::DataSetRecord& r = block->records[k];
        r = *run.record;
        r.dataSetSerial = project::kSerialBase + k + 1;
        block->currentIndex = k;
        block->usedCount = std::max(block->usedCount, k + 1);
        *samples = *run.samples;
        for (const RecordedSeries& s : run.series)
            LoadSeries(r, s.series, s.values, s.times, r.targetCount[s.series]);
        return r;
    }
    // Data set k made current again, its series loaded (every data set holds the shared run).
    void Select(const RecordedRun& run, int k)
    {
        block->currentIndex = k;
        *samples = *run.samples;
        for (const RecordedSeries& s : run.series)
            LoadSeries(block->records[k], s.series, s.values, s.times, block->records[k].targetCount[s.series]);
    }
    // A channel's series as the measurement screen's chart set-up and view refresh leave it:
    // colour by series, the unit's range and digits, the run's length, named "sensor(unit)".
    void LoadSeries(const project::DataSetRecord& r, int series, const std::vector<float>& values,
                    const std::vector<float>& times, int capacity)
    {
        static constexpr uint32_t kColours[4] = {0xDE3431, 0xA801FF, 0x0092EF, 0x2A910A};
        const analysis::ChannelUnit unit = units.Unit(r, series % 4, series / 4);
        loader.AllocSeries(series, capacity, kColours[series % 4]);
        loader.SetSeriesDecimals(series, unit.decimals);
        loader.SetYAxis(series, unit.minimum, unit.maximum, 1.0f, unit.unit.c_str());
        loader.SetXAxis(series, 0.0f, float(r.length), 1.0f, nullptr);
        loader.SetAutoScale(series, 1, 0);
        loader.SetSeriesMargin(series, unit.minimum, unit.maximum, 8.0f);
        loader.SetSeriesName(series, u"", unit.sensorName + u"(" + unit.unit + u")");
        loader.SetSeriesData(series, int(values.size()), values.data(), times.data(), 0, -1, series, -1);
    }

    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    uikit::CNIXYChart loader;
    analysis::CatalogueUnits units{[] { return CVRDCommonBase::GetSensor(); }};
};

struct ShownMessage {
    int type = 0;
    QString first;
    QString second;
    bool waitCursorUp = false;
};

// The dialogs, answered by the test.
class ScriptedDialogs : public analysis::AnalysisDialogs {
public:
    bool GraphSetup(CAnalyzeDlg&, project::DataSetRecord& record, bool& dataChanged) override
    {
        if (!setup)
            return false;
        dataChanged = setup(record);
        return true;
    }
    void ShowDetails(CAnalyzeDlg&, const analysis::ResultLines& lines) override { detailsShown.push_back(lines.Count()); }
    // The note dialog: counts its openings and types `noteText`.
    bool EditNote(CAnalyzeDlg&, project::GraphNote& note, QPoint) override
    {
        ++notesEdited;
        platform::CopyToField(note.text, noteText);
        note.textLength = int32_t(noteText.size());
        note.fontSize = 16;
        return noteAnswer;
    }

    // Changes the record as the set-up dialog would; returns whether the data selection changed.
    std::function<bool(project::DataSetRecord&)> setup;
    std::vector<int> detailsShown;
    int notesEdited = 0;
    std::u16string noteText = u"Start";
    bool noteAnswer = true;
};

// The screen on the common services (a sensor object on a scripted fake logger, which knows the
// kit's catalogue), its root window and the stand-in in slot 3.
class AnalysisScreenTest : public toolkittest::CommonServicesTest {
protected:
    void AddServices(uikit::CommonServices& services) override
    {
        services.makeSensor = [this] {
            auto sensor = std::make_unique<devicelink::CNI2CSensor>(api_);
            sensor->LoadSensorXml(CataloguePath());
            sensor->LoadCatalogue();
            return sensor;
        };
    }
    void SetUp() override
    {
        CommonServicesTest::SetUp();
        shell::ScreenServices services;
        services.present = [this](QWidget*, int type, const QString& first, const QString& second) {
            messages.push_back({type, first, second, QGuiApplication::overrideCursor() != nullptr});
            return answer;
        };
        root = std::make_unique<QWidget>();
        root->resize(CAnalyzeDlg::kWidth, CAnalyzeDlg::kHeight);
        measurement = new MeasurementStandIn(root.get());
        screen = new CAnalyzeDlg(root.get(), services);
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        screen->SetDialogs(std::move(scripted));
        root->show();
    }
    void TearDown() override
    {
        root.reset();
        CommonServicesTest::TearDown();
    }

    const RecordedRun& Run()
    {
        const RecordedRun& run = SharedRun();
        EXPECT_TRUE(run.error.empty()) << run.error;
        return run;
    }
    // The recorded run as the current data set, and the screen entered on it.
    project::DataSetRecord& Enter(int k = 0)
    {
        project::DataSetRecord& record = measurement->LoadRun(Run(), k);
        Reenter();
        return record;
    }
    void Reenter()
    {
        screen->ActivateAnalysis();
        screen->show();
        Spin(1);
    }
    // Graph count through the set-up dialog, as the user sets it.
    void SetGraphCount(int count)
    {
        dialogs->setup = [count](project::DataSetRecord& record) {
            record.graphCount = count;
            return false;
        };
        screen->Command(CAnalyzeDlg::kSetup);
        dialogs->setup = nullptr;
    }
    project::AnalysisSettings& Current() { return *screen->Model().CurrentSettings(); }
    void SetRange(int start, int end)
    {
        Current().rangeStart = start;
        Current().rangeEnd = end;
    }
    QString Text(int id) { return CVRDCommonBase::LoadText(id, 256); }

    std::unique_ptr<QWidget> root;
    MeasurementStandIn* measurement = nullptr;
    CAnalyzeDlg* screen = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<ShownMessage> messages;
    int answer = 1;
};

}  // namespace screentest
