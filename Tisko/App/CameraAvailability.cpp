#include "Tisko/App/CameraAvailability.h"

#include "Tisko/Camera/Cameras.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

namespace tisko {

namespace {

// The cameras Cameras finds. Access to a capture node is the camera permission: a node the
// user may not open for reading and writing is denied.
class SystemCameraAvailability final : public CameraAvailability {
public:
    bool permissionDenied() override {
        const std::optional<CameraDevice> camera = Cameras::device(std::nullopt);
        if (!camera || camera->kind != CameraDevice::Kind::V4l2)
            return false;
        const QByteArray node = QFile::encodeName(camera->path);
        return ::access(node.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
    }

    bool hasCamera() override { return Cameras::device(std::nullopt).has_value(); }
};

} // namespace

std::unique_ptr<CameraAvailability> CameraAvailability::create() {
    return std::make_unique<SystemCameraAvailability>();
}

} // namespace tisko
