#pragma once

// The measurement program's common services on the simulated logger, as the root window starts
// them: the sensor object on the real device layer with the data directory's catalogue, and the
// channels plugged in detected. For the widget suites (header-only: the support library has no Qt).

#include "tests/support/SensorDetection.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "uikit/common/CVRDCommonBase.h"

#include <QString>

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

}  // namespace corviktest
