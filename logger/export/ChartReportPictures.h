#pragma once

#include <QSize>

#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/export/core/HtmlReport.h"
#include "uikit/chart/CNIXYChart.h"

class QImage;
class QObject;

namespace exporting {

// The report's pictures from the program's charts, written by the chart's BMP writer: the
// measurement chart as it shows the data set just loaded, and an analysis chart given the
// analysis screen's presentation of a graph, at the analysis chart's size.
class ChartReportPictures : public ReportPictures {
public:
    ChartReportPictures(uikit::CNIXYChart& measurementChart, uikit::CNIXYChart& analysisChart,
                        analysis::AnalysisScreenModel& model, QObject* owner, const QImage* closeBox = nullptr,
                        QSize analysisSize = QSize(800, 492))
        : measurement_(measurementChart), analysis_(analysisChart), model_(model), owner_(owner),
          closeBox_(closeBox), analysisSize_(analysisSize)
    {
    }

    bool SaveMeasurementPicture(const project::DataSetRecord& record, const std::string& path) override;
    bool SaveAnalysisPicture(project::DataSetRecord& record, int graph, int set, const std::string& path) override;

private:
    static bool Save(uikit::CNIXYChart& chart, const std::string& path);

    uikit::CNIXYChart& measurement_;
    uikit::CNIXYChart& analysis_;
    analysis::AnalysisScreenModel& model_;
    QObject* owner_;
    const QImage* closeBox_;
    QSize analysisSize_;
};

}  // namespace exporting
