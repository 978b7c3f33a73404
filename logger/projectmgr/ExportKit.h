#pragma once

#include <memory>

#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/analysis/LanguageTexts.h"
#include "logger/export/ChartReportPictures.h"
#include "logger/export/ChartRunSeries.h"
#include "uikit/chart/CNIXYChart.h"

class QObject;

namespace devicelink {
class CNI2CSensor;
}

// What CSV export and the report read of the measurement and analysis screens: the measurement
// chart's series of the loaded data set, the chart pictures, and an analysis model that runs each
// analysis set afresh. The project manager makes them here, over the process's shared chart
// series, which the measurement screen fills whenever a data set is loaded. A run's picture is always the
// measurement screen's (ExperimentSource::SaveRunPicture): only that screen sets its chart up for
// a data set.
namespace projectmgr {

struct ExportScreens {
    const project::RunSeriesSource* series = nullptr;
    exporting::ReportPictures* pictures = nullptr;
    analysis::AnalysisScreenModel* analysis = nullptr;
};

class ExportKit {
public:
    // `sensor` gives the catalogue's units; null leaves the defaults.
    ExportKit(QObject* owner, devicelink::CNI2CSensor* sensor);
    ~ExportKit();

    ExportScreens Screens() { return {&series_, pictures_.get(), &model_}; }
    const analysis::ChannelUnitSource& Units() const { return *units_; }
    const analysis::TextSource& Texts() const { return texts_; }

private:
    class QuietMessages : public analysis::MessageSink {
    public:
        void ShowMessage(int, std::u16string_view, std::u16string_view) override {}
    };

    // The run's picture from the measurement screen, the analysis pictures from the kit's chart.
    class ScreenPictures : public exporting::ReportPictures {
    public:
        explicit ScreenPictures(exporting::ReportPictures& analysis) : analysis_(analysis) {}
        bool SaveMeasurementPicture(const project::DataSetRecord& record, const std::string& path) override;
        bool SaveAnalysisPicture(project::DataSetRecord& record, int graph, int set, const std::string& path) override;

    private:
        exporting::ReportPictures& analysis_;
    };

    // Reads the shared series only; it is never drawn.
    uikit::CNIXYChart seriesChart_;
    uikit::CNIXYChart analysisChart_;
    analysis::LanguageTexts texts_;
    std::unique_ptr<analysis::ChannelUnitSource> units_;
    analysis::ChartSeriesTable table_{analysisChart_};
    QuietMessages messages_;
    analysis::AnalysisEngine engine_{table_, texts_, messages_};
    analysis::AnalysisScreenModel model_{engine_, table_, texts_, *units_};
    exporting::ChartRunSeries series_{seriesChart_};
    std::unique_ptr<exporting::ChartReportPictures> analysisPictures_;
    std::unique_ptr<ScreenPictures> pictures_;
};

}  // namespace projectmgr
