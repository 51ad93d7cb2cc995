#include "Tisko/Debug/DebugTools.h"

#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/SettingsTabs.h"
#include "Tisko/Interface/SettingsWindow.h"
#include "Tisko/Support/SettingsStore.h"
#include "TiskoCore/PostureJudge.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPainter>
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

namespace {

// Lets a widget shown off screen lay itself out and paint, as the window would settle.
void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows `widget` off screen at `size` (its own size hint when empty), lets it settle and
// writes it to `path`; a widget that yields no picture, or a failed write, writes nothing.
void picture(QWidget& widget, QSize size, const QString& path) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    settle(50);
    widget.resize(size.isEmpty() ? widget.sizeHint() : size);
    settle(150);
    const QPixmap pixmap = widget.grab();
    if (!pixmap.isNull())
        pixmap.save(path, "PNG");
    widget.hide();
}

// Every state of the tray icon, at each tray size, on a light and a dark band.
void iconPicture(StatusDot dot, const QString& path) {
    const int sizes[] = {16, 22, 24, 32, 48};
    const int gap = 12;
    int width = gap;
    for (int size : sizes)
        width += size + gap;
    QPixmap sheet(width, 2 * (48 + 2 * gap));
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    int y = 0;
    for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
        const QPalette palette = Appearance::palette(scheme);
        painter.fillRect(0, y, width, 48 + 2 * gap, palette.color(QPalette::Window));
        int x = gap;
        for (int size : sizes) {
            painter.drawPixmap(
                x, y + gap + 48 - size,
                MenuBarLabel::picture(dot, size, 1.0, palette.color(QPalette::WindowText)));
            x += size + gap;
        }
        y += 48 + 2 * gap;
    }
    painter.end();
    sheet.save(path, "PNG");
}

struct IconState {
    StatusDot dot;
    const char* name;
};
// The five conditions of the icon: a position, the camera or its permission missing; a
// look under way; a bad verdict; sitting well; paused.
constexpr IconState iconStates[] = {{StatusDot::orange, "falta"},
                                    {StatusDot::green, "mirando"},
                                    {StatusDot::orange, "aviso"},
                                    {StatusDot::none, "bien"},
                                    {StatusDot::hollow, "pausa"}};

} // namespace

QStringList DebugTools::pictureNames() {
    QStringList names;
    for (const char* suffix : {"claro", "oscuro"}) {
        names << QStringLiteral("panel-%1.png").arg(QLatin1String(suffix));
        for (const char* tab : {"general", "detection", "positions", "permissions"})
            names << QStringLiteral("ajustes-%1-%2.png")
                         .arg(QLatin1String(tab), QLatin1String(suffix));
        names << QStringLiteral("panel-aviso-%1.png").arg(QLatin1String(suffix));
        names << QStringLiteral("posicion-%1.png").arg(QLatin1String(suffix));
    }
    for (const IconState& state : iconStates)
        names << QStringLiteral("icono-%1.png").arg(QLatin1String(state.name));
    return names;
}

void DebugTools::renderWindows(Monitor& monitor, const QString& folder,
                               std::function<void()> done) {
    QDir().mkpath(folder);
    const QDir out(folder);
    const std::optional<ReferenceCheck::Problem> suspect = monitor.referenceSuspect();
    for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
        const QString suffix =
            scheme == ColorScheme::light ? QStringLiteral("claro") : QStringLiteral("oscuro");
        Appearance::apply(scheme);
        monitor.setReferenceSuspectForPictures(suspect);
        {
            MenuBarPanel panel(monitor, {}, false);
            picture(panel, {},
                    out.filePath(QStringLiteral("panel-") + suffix + QStringLiteral(".png")));
        }
        const std::pair<SettingsTab, int> tabs[] = {{SettingsTab::general, 400},
                                                    {SettingsTab::detection, 600},
                                                    {SettingsTab::positions, 460},
                                                    {SettingsTab::permissions, 370}};
        for (const auto& [tab, height] : tabs) {
            SettingsTabs selected;
            selected.setTab(tab);
            SettingsWindow window(monitor, selected, {});
            picture(window, {660, height},
                    out.filePath(QStringLiteral("ajustes-") + rawValue(tab) + QLatin1Char('-') +
                                 suffix + QStringLiteral(".png")));
        }
        monitor.setReferenceSuspectForPictures(ReferenceCheck::Problem::slouching);
        {
            MenuBarPanel panel(monitor, {}, false);
            picture(panel, {},
                    out.filePath(QStringLiteral("panel-aviso-") + suffix + QStringLiteral(".png")));
        }
        monitor.refreshState();
        {
            CalibrationModel model(monitor, std::nullopt);
            model.setPhase(CalibrationModel::Phase::ready());
            model.setSeesFace(true);
            CalibrationView view(model, {}, true);
            picture(view, {},
                    out.filePath(QStringLiteral("posicion-") + suffix + QStringLiteral(".png")));
        }
    }
    for (const IconState& state : iconStates)
        iconPicture(state.dot,
                    out.filePath(QStringLiteral("icono-%1.png").arg(QLatin1String(state.name))));
    if (done)
        done();
}

} // namespace tisko
