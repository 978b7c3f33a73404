#include "logger/project/ChartRunSeries.h"

#include <algorithm>

#include "logger/project/ExperimentRecords.h"
#include "platform/Text.h"

namespace logger {

RunSeries ChartRunSeries::Series(int series) const
{
    if (!IsDataSeries(series))
        return {};
    const uikit::ChartSeries* s = chart_.Series(series);
    if (!s || !s->values || !s->times || s->capacity <= 0)
        return {};
    RunSeries view;
    view.hasData = s->hasData != 0;
    view.count = std::clamp(s->used, 0, s->capacity);
    view.values = s->values.get();
    view.times = s->times.get();
    view.name = std::u16string(platform::FieldView(s->name));
    view.xTitle = std::u16string(platform::FieldView(s->xTitle));
    return view;
}

}  // namespace logger
