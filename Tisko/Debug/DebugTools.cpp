#include "Tisko/Debug/DebugTools.h"

#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Support/SettingsStore.h"
#include "TiskoCore/PostureJudge.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

#include <atomic>
#include <memory>

namespace tisko {

namespace {

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

constexpr double holdSettle = 0.35;
// A look as the check cycle takes it.
constexpr int lookFrames = 6;
constexpr double lookTimeout = 2.5;
constexpr int endDelayMs = 500;

} // namespace

QStringList DebugTools::lookLines(const LookResult& result,
                                  const std::optional<Calibration>& active,
                                  const Thresholds& thresholds, const Describe& describe) {
    QStringList lines{
        QStringLiteral("failed=") + flag(result.failed),
        QStringLiteral("camera=") + result.cameraID,
        QStringLiteral("shared=") + flag(result.sharedWithAnotherApp),
        QStringLiteral("format=") + result.format,
        QStringLiteral("frames=%1/%2").arg(result.withFace).arg(result.analysed),
    };
    if (!result.measurement)
        return lines;
    const HeadMeasurement& m = *result.measurement;
    lines.append(QString::asprintf("faceWidth=%.4f eyes=%.4f faceY=%.4f faceHeight=%.4f",
                                   m.faceWidth, m.eyeDistance.value_or(-1.0), m.faceY,
                                   m.faceHeight));
    if (!active)
        return lines;
    const PostureVerdict verdict = PostureJudge::judge(m, *active, thresholds, true, true);
    lines.append(QStringLiteral("vs ") + QString::fromStdString(active->name) +
                 QString::asprintf(": closeness=%.3f drop=%.3f verdict=",
                                   PostureJudge::closeness(m, active->reference),
                                   PostureJudge::drop(m, active->reference)) +
                 describe(verdict));
    return lines;
}

QString DebugTools::holdStartLine(bool ok, bool shared, const QString& format) {
    return QStringLiteral("start ok=") + flag(ok) + QStringLiteral(" shared=") + flag(shared) +
           QStringLiteral(" format=") + format;
}

QString DebugTools::holdTickLine(int t, int frames, int analysed, int faces, const QString& format,
                                 bool running) {
    return QStringLiteral("t=%1 frames=%2 analysed=%3 faces=%4 format=%5 running=%6")
        .arg(t)
        .arg(frames)
        .arg(analysed)
        .arg(faces)
        .arg(format, flag(running));
}

bool DebugTools::writeLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    file.write(bytes);
    return file.commit();
}

void DebugTools::look(const std::optional<Calibration>& active, const QString& output,
                      Describe describe, std::function<void()> done) {
    const std::optional<QString> cameraID =
        active ? std::optional(QString::fromStdString(active->cameraID)) : std::nullopt;
    const Thresholds thresholds = SettingsStore::thresholds();
    CameraLook::take(cameraID, lookFrames, lookTimeout,
                     [active, output, thresholds, describe = std::move(describe),
                      done = std::move(done)](const LookResult& result) {
                         writeLines(output, lookLines(result, active, thresholds, describe));
                         if (done)
                             done();
                     });
}

void DebugTools::hold(double seconds, const QString& output, std::optional<int> width,
                      std::function<void()> done) {
    std::shared_ptr<CameraSession> session = CameraSession::create(std::nullopt);
    if (!session) {
        writeLines(output, {QStringLiteral("no camera")});
        if (done)
            done();
        return;
    }
    session->forcedWidth = width;
    auto analysed = std::make_shared<std::atomic<int>>(0);
    auto faces = std::make_shared<std::atomic<int>>(0);
    session->onMeasurement = [analysed, faces](std::optional<HeadMeasurement> measurement) {
        ++*analysed;
        if (measurement)
            ++*faces;
    };
    auto lines = std::make_shared<QStringList>();
    // The start report comes on the camera's queue; everything after it runs on the main
    // thread.
    QObject* mainThread = QCoreApplication::instance();
    session->start(holdSettle, [=](bool started) {
        QMetaObject::invokeMethod(mainThread, [=] {
            lines->append(
                holdStartLine(started, session->sharedWithAnotherApp(), session->formatAtStart()));
            writeLines(output, *lines);
            auto* timer = new QTimer(mainThread);
            auto t = std::make_shared<int>(0);
            QObject::connect(timer, &QTimer::timeout, timer, [=] {
                ++*t;
                lines->append(holdTickLine(*t, session->framesSeen(), *analysed, *faces,
                                           session->formatAtStart(),
                                           CameraUsage::isRunningSomewhere(session->device())));
                writeLines(output, *lines);
                if (double(*t) < seconds)
                    return;
                timer->stop();
                timer->deleteLater();
                session->stop();
                QTimer::singleShot(endDelayMs, mainThread, [session, done] {
                    if (done)
                        done();
                });
            });
            timer->start(1000);
        });
    });
}

} // namespace tisko
