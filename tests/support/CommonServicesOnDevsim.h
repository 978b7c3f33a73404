#pragma once

// The measurement program's common services on the simulated logger, as the root window starts
// them: the sensor object on the real device layer with the data directory's catalogue, and the
// channels plugged in detected. For the widget suites (header-only: the support library has no Qt).

#include "tests/support/LinkHelpers.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "uikit/common/CVRDCommonBase.h"

#include <QString>

#include <cstdint>
#include <string>

namespace corviktest {

// The common services and the sensor object with its catalogue; null when any of it fails.
inline devicelink::CNI2CSensor* StartServicesWithCatalogue()
{
    if (uikit::CVRDCommonBase::InitGlobals() != 1)
        return nullptr;
    devicelink::CNI2CSensor* sensor = uikit::CVRDCommonBase::GetSensor();
    if (!sensor)
        return nullptr;
    const QString catalogue = uikit::CVRDCommonBase::GetDataDirectory() + QStringLiteral("/sensor_korean.xml");
    if (sensor->LoadSensorXml(catalogue.toStdString()) != 1 || sensor->LoadCatalogue() != 1)
        return nullptr;
    return sensor;
}

// Waits (3 s at most) until the channels of `wanted` are present and ready, then identifies what
// changed; false on the time-out.
inline bool DetectPlugged(devicelink::CNI2CSensor& sensor, uint32_t wanted)
{
    const bool ready = WaitUntil([&] {
        sensor.PollSensorState();
        const uint32_t word = uint32_t(sensor.statusWord());
        return (word & wanted) == wanted && ((word >> 16) & wanted) == wanted;
    }, 3000);
    if (!ready)
        return false;
    std::u16string text;
    sensor.DetectSensors(text);
    return true;
}

}  // namespace corviktest
