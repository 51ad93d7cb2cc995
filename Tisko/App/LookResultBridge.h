#pragma once

// Until the camera's LookResult lands, a copy of its fields keeps the Monitor building.
#if __has_include("Tisko/Camera/LookResult.h")
#include "Tisko/Camera/LookResult.h"
#else
#include "TiskoCore/HeadMeasurement.h"

#include <QString>

#include <optional>

namespace tisko {
struct LookResult {
    std::optional<HeadMeasurement> measurement;
    int analysed = 0;
    int withFace = 0;
    QString cameraID;
    bool sharedWithAnotherApp = false;
    QString format;
    bool failed = false;
};
} // namespace tisko
#endif
