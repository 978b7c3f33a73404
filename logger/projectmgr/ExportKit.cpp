#include "logger/projectmgr/ExportKit.h"

#include <QString>

#include "logger/export/core/SensorChannelUnits.h"
#include "uikit/chart/ChartSeries.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/resources/ResourceModule.h"

namespace projectmgr {

namespace {

// The analysis screen's graph.
constexpr int kChartWidth = 800;
constexpr int kAnalysisChartHeight = 492;
constexpr uint32_t kChartBackground = 0xF0F0F0;
constexpr uint32_t kChartGrid = 0xC8C8C8;

class DefaultUnits : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const project::DataSetRecord&, int, int) const override { return {}; }
};

std::unique_ptr<analysis::ChannelUnitSource> UnitsOf(devicelink::CNI2CSensor* sensor)
{
    if (sensor)
        return std::make_unique<exporting::SensorChannelUnits>(*sensor);
    return std::make_unique<DefaultUnits>();
}

}  // namespace

ExportKit::ExportKit(QObject* owner, devicelink::CNI2CSensor* sensor)
    : texts_(uikit::LanguageModule()), units_(UnitsOf(sensor))
{
    // Both read the process's shared series, which the measurement screen and the analysis fill.
    uikit::GetChartSeriesTable(seriesChart_.SeriesTable());
    uikit::GetChartSeriesTable(analysisChart_.SeriesTable());
    analysisChart_.Create(owner, kChartWidth, kAnalysisChartHeight, kChartBackground, QStringLiteral("tahoma"));
    analysisChart_.SetColors(kChartBackground, 0, kChartGrid, kChartGrid);
    analysisPictures_ = std::make_unique<exporting::ChartReportPictures>(
        seriesChart_, analysisChart_, model_, owner, nullptr, QSize(kChartWidth, kAnalysisChartHeight));
    pictures_ = std::make_unique<ScreenPictures>(*analysisPictures_);
}

ExportKit::~ExportKit() = default;

bool ExportKit::ScreenPictures::SaveMeasurementPicture(const project::DataSetRecord&, const std::string& path)
{
    uikit::ExperimentSource* source = uikit::CVRDCommonBase::GetExperimentSource();
    return source != nullptr && source->SaveRunPicture(path);
}

bool ExportKit::ScreenPictures::SaveAnalysisPicture(project::DataSetRecord& record, int graph, int set,
                                                    const std::string& path)
{
    return analysis_.SaveAnalysisPicture(record, graph, set, path);
}

}  // namespace projectmgr
