#pragma once

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/analysis/core/AnalysisScreenModel.h"

namespace exporting {

// What the catalogue says of an output of the sensor a data set recorded on a channel: the access
// record found from the set's copy of the channel state, and the unit entry its unit choice picks
// (OutputUnitIndex). Without a record the defaults of ChannelUnit stand.
class SensorChannelUnits : public analysis::ChannelUnitSource {
public:
    explicit SensorChannelUnits(devicelink::CNI2CSensor& sensor) : sensor_(sensor) {}
    analysis::ChannelUnit Unit(const project::DataSetRecord& record, int channel, int output) const override;

private:
    devicelink::CNI2CSensor& sensor_;
};

}  // namespace exporting
