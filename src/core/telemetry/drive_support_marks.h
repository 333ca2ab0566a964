#pragma once

#include "core/telemetry/drive_support_data.h"

#include <QRgb>

#include <utility>
#include <vector>

namespace dashcard {

// The marks of `record` (DriveSupportData::appearanceLineInfos) as position
// and 8-bit ARGB colour, which reads without the GUI library (dashcard-cli).
std::vector<std::pair<double, QRgb>> driveSupportMarks(const DriveSupportData& record);

}  // namespace dashcard
