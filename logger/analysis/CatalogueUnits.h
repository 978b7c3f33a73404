#pragma once

#include <functional>

#include "logger/analysis/core/AnalysisScreenModel.h"

namespace devicelink {
class CNI2CSensor;
}

// The analysis core's units from the sensor catalogue: the channel's copy in the data set names
// its sensor, the sensor object's catalogue gives the unit of the chosen output. A channel whose
// sensor the catalogue does not know keeps the defaults (and its own name).
namespace analysis {

class CatalogueUnits : public ChannelUnitSource {
public:
    // Where the sensor object is found at each call; it may be null.
    using SensorLookup = std::function<devicelink::CNI2CSensor*()>;
    explicit CatalogueUnits(SensorLookup lookup) : lookup_(std::move(lookup)) {}

    ChannelUnit Unit(const project::DataSetRecord& record, int channel, int output) const override;

private:
    SensorLookup lookup_;
};

}  // namespace analysis
