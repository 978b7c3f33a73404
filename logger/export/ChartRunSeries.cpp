#include "logger/export/ChartRunSeries.h"

#include <algorithm>

#include "logger/project/ExperimentRecords.h"
#include "platform/Text.h"

namespace exporting {

project::RunSeries ChartRunSeries::Series(int series) const
{
    if (!project::IsDataSeries(series))
        return {};
    const uikit::ChartSeries* s = chart_.Series(series);
    if (!s || !s->values || !s->times || s->capacity <= 0)
        return {};
    project::RunSeries view;
    view.hasData = s->hasData != 0;
    view.count = std::clamp(s->used, 0, s->capacity);
    view.values = s->values.get();
    view.times = s->times.get();
    view.name = std::u16string(platform::FieldView(s->name));
    view.xTitle = std::u16string(platform::FieldView(s->xTitle));
    return view;
}

}  // namespace exporting
