// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Debug/SampleHistory.h"

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Camera/V4l2Backend.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/HistoryWindow.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/SettingsTabs.h"
#include "Tisko/Interface/SettingsWindow.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/DesktopPlatform.h"
#include "TiskoCore/PostureJudge.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>

namespace tisko {

namespace {

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Three decimals; a value that rounds to zero is "0.000", never "-0.000".
QString threeDecimals(double value) {
    const QString text = QString::asprintf("%.3f", value);
    return text == QStringLiteral("-0.000") ? QStringLiteral("0.000") : text;
}

// Writes the lines to `output`; on failure says why on standard error. Whether it worked.
bool writeOrComplain(const QString& output, const QStringList& lines) {
    const std::optional<QString> reason = DebugTools::writeLines(output, lines);
    if (reason)
        std::fprintf(stderr, "tisko: %s: %s\n", qPrintable(output), qPrintable(*reason));
    return !reason;
}

constexpr double holdSettle = 0.35;
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
                 QStringLiteral(": closeness=") +
                 threeDecimals(PostureJudge::closeness(m, active->reference)) +
                 QStringLiteral(" drop=") +
                 threeDecimals(PostureJudge::drop(m, active->reference)) +
                 QStringLiteral(" verdict=") + describe(verdict));
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

QString DebugTools::currentFormat(const CameraDevice& device, const QString& atStart,
                                  V4l2System& system) {
    if (device.kind != CameraDevice::Kind::V4l2)
        return atStart;
    // A second descriptor on the node only asks; the session keeps streaming on its own.
    V4l2Backend probe(device.path, system);
    const std::optional<FrameSize> size = probe.open() ? probe.activeFormat() : std::nullopt;
    return size ? CameraSession::describe(*size) : atStart;
}

std::optional<QString> DebugTools::writeLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("es una carpeta");
    if (info.exists() && !info.isFile()) {
        // A device or a pipe cannot be replaced by a new file: write into it.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return file.errorString();
        file.close();
        if (file.error() != QFileDevice::NoError)
            return file.errorString();
        return std::nullopt;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

void DebugTools::look(const std::optional<Calibration>& active, const QString& output,
                      Describe describe, std::function<void(bool)> done) {
    const std::optional<QString> cameraID =
        active ? std::optional(QString::fromStdString(active->cameraID)) : std::nullopt;
    const Thresholds thresholds = SettingsStore::thresholds();
    CameraLook::take(cameraID, Monitor::lookFrames, Monitor::lookTimeout,
                     [active, output, thresholds, describe = std::move(describe),
                      done = std::move(done)](const LookResult& result) {
                         const bool written = writeOrComplain(
                             output, lookLines(result, active, thresholds, describe));
                         if (done)
                             done(written);
                     });
}

void DebugTools::hold(double seconds, const QString& output, std::optional<int> width,
                      std::function<void(bool)> done) {
    std::shared_ptr<CameraSession> session = CameraSession::create(std::nullopt);
    if (!session) {
        const bool written = writeOrComplain(output, {QStringLiteral("no camera")});
        if (done)
            done(written);
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
    auto written = std::make_shared<bool>(true);
    // The start report comes on the camera's queue; everything after it runs on the main
    // thread.
    QObject* mainThread = QCoreApplication::instance();
    session->start(holdSettle, [=](bool started) {
        QMetaObject::invokeMethod(mainThread, [=] {
            lines->append(
                holdStartLine(started, session->sharedWithAnotherApp(), session->formatAtStart()));
            *written = writeOrComplain(output, *lines);
            auto* timer = new QTimer(mainThread);
            auto t = std::make_shared<int>(0);
            QObject::connect(timer, &QTimer::timeout, timer, [=] {
                ++*t;
                lines->append(holdTickLine(
                    *t, session->framesSeen(), *analysed, *faces,
                    currentFormat(session->device(), session->formatAtStart(), V4l2System::real()),
                    CameraUsage::isRunningSomewhere(session->device())));
                *written = writeOrComplain(output, *lines) && *written;
                if (double(*t) < seconds)
                    return;
                timer->stop();
                timer->deleteLater();
                session->stop();
                QTimer::singleShot(endDelayMs, mainThread, [session, done, written] {
                    if (done)
                        done(*written);
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
        names << QStringLiteral("historial-%1.png").arg(QLatin1String(suffix));
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
        // The panel shows the update on offer, as it does live ("previewUpdate" included).
        const auto previewUpdate = [] { return SettingsStore::previewUpdate(); };
        {
            MenuBarPanel panel(monitor, previewUpdate, false);
            picture(panel, {},
                    out.filePath(QStringLiteral("panel-") + suffix + QStringLiteral(".png")));
        }
        for (SettingsTab tab : {SettingsTab::general, SettingsTab::detection,
                                SettingsTab::positions, SettingsTab::permissions}) {
            SettingsTabs selected;
            selected.setTab(tab);
            DesktopPlatform platform;
            SettingsWindow window(monitor, platform.services(), selected);
            // The window has one size per page.
            picture(window, window.size(),
                    out.filePath(QStringLiteral("ajustes-") + rawValue(tab) + QLatin1Char('-') +
                                 suffix + QStringLiteral(".png")));
        }
        monitor.setReferenceSuspectForPictures(ReferenceCheck::Problem::slouching);
        {
            MenuBarPanel panel(monitor, previewUpdate, false);
            picture(panel, {},
                    out.filePath(QStringLiteral("panel-aviso-") + suffix + QStringLiteral(".png")));
        }
        monitor.refreshState();
        {
            CalibrationModel model(monitor, std::nullopt);
            model.setPhase(CalibrationModel::Phase::ready());
            model.setSeesFace(true);
            CalibrationView view(model, true);
            picture(view, {},
                    out.filePath(QStringLiteral("posicion-") + suffix + QStringLiteral(".png")));
        }
        {
            HistoryWindow history(HistoryModel(SampleHistory::month(), SampleHistory::today(),
                                               fixedOffsetCalendar(0)));
            picture(history, {},
                    out.filePath(QStringLiteral("historial-") + suffix + QStringLiteral(".png")));
        }
    }
    for (const IconState& state : iconStates)
        iconPicture(state.dot,
                    out.filePath(QStringLiteral("icono-%1.png").arg(QLatin1String(state.name))));
    if (done)
        done();
}

} // namespace tisko
