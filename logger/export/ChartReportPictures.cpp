#include "logger/export/ChartReportPictures.h"

#include <QImage>
#include <QString>

#include "logger/analysis/GraphChartBinding.h"

namespace exporting {

bool ChartReportPictures::Save(uikit::CNIXYChart& chart, const std::string& path)
{
    chart.Redraw();
    const QImage* picture = chart.GetMemoryDC();
    if (!picture)
        return false;
    return chart.SaveBitmapFile(QString::fromStdString(path), picture, picture->width(), picture->height(), nullptr) ==
           1;
}

bool ChartReportPictures::SaveMeasurementPicture(const project::DataSetRecord&, const std::string& path)
{
    return Save(measurement_, path);
}

bool ChartReportPictures::SaveAnalysisPicture(project::DataSetRecord& record, int graph, int, const std::string& path)
{
    project::AnalysisGraphRecord* graphRecord = project::AnalysisGraphAt(record, graph);
    if (!graphRecord || model_.Record() != &record)
        return false;
    analysis_.Attach(owner_, analysisSize_.width(), analysisSize_.height());
    analysis::ApplyGraphPresentation(model_.Presentation(graph), analysis_, graphRecord->notes, closeBox_);
    return Save(analysis_, path);
}

}  // namespace exporting
