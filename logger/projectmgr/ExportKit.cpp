#include "logger/projectmgr/ExportKit.h"

#include <QString>

#include "logger/project/SensorChannelUnits.h"
#include "uikit/chart/ChartSeries.h"
#include "uikit/resources/ResourceModule.h"

namespace projectmgr {

namespace {

// The measurement screen's chart below its button band, and the analysis screen's graph.
constexpr int kChartWidth = 800;
constexpr int kMeasurementChartHeight = 415;
constexpr int kAnalysisChartHeight = 492;
constexpr uint32_t kChartBackground = 0xF0F0F0;
constexpr uint32_t kChartGrid = 0xC8C8C8;

class DefaultUnits : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const logger::DataSetRecord&, int, int) const override { return {}; }
};

std::unique_ptr<analysis::ChannelUnitSource> UnitsOf(devicelink::CNI2CSensor* sensor)
{
    if (sensor)
        return std::make_unique<logger::SensorChannelUnits>(*sensor);
    return std::make_unique<DefaultUnits>();
}

}  // namespace

ExportKit::ExportKit(QObject* owner, devicelink::CNI2CSensor* sensor)
    : texts_(uikit::LanguageModule()), units_(UnitsOf(sensor))
{
    // Both draw the process's shared series, which the measurement screen and the analysis fill.
    uikit::GetChartSeriesTable(measurementChart_.SeriesTable());
    uikit::GetChartSeriesTable(analysisChart_.SeriesTable());
    measurementChart_.Create(owner, kChartWidth, kMeasurementChartHeight, kChartBackground, QStringLiteral("tahoma"));
    measurementChart_.SetColors(kChartBackground, 0, kChartGrid, kChartGrid);
    measurementChart_.SetLineMode(1);
    analysisChart_.Create(owner, kChartWidth, kAnalysisChartHeight, kChartBackground, QStringLiteral("tahoma"));
    analysisChart_.SetColors(kChartBackground, 0, kChartGrid, kChartGrid);
    pictures_ = std::make_unique<logger::ChartReportPictures>(measurementChart_, analysisChart_, model_, owner, nullptr,
                                                              QSize(kChartWidth, kAnalysisChartHeight));
}

ExportKit::~ExportKit() = default;

}  // namespace projectmgr
