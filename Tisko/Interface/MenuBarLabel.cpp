// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/MenuBarLabel.h"

#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/PanelModel.h"
#include "Tisko/Interface/TiskoColors.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/NotificationStatus.h"
#include "Tisko/System/Updater.h"
#include "Tisko/System/X11TraySelection.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <QSystemTrayIcon>

namespace tisko {

namespace {

constexpr int callTimeoutMs = 2000;
// A watcher that did not answer (a panel still starting: Plasma's takes up to 4 s) is asked
// again after a pause that doubles each time, up to a minute.
constexpr std::chrono::milliseconds firstAskPause{1000};
constexpr std::chrono::milliseconds longestAskPause{60000};
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr const char* hostSignals[] = {"StatusNotifierHostRegistered",
                                       "StatusNotifierHostUnregistered"};
// The themed icons that hosts recolour to their panel's foreground.
const QString symbolicIcon = QStringLiteral(TISKO_APP_ID "-symbolic");
const QString symbolicPausedIcon = QStringLiteral(TISKO_APP_ID "-paused-symbolic");

// The figure's drawing with its strokes and fills in `colour`.
QByteArray figureSvg(const QColor& colour) {
    static const QByteArray source = [] {
        Appearance::registerResources();
        QFile file(QStringLiteral(":/tisko/figure.svg"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QByteArray svg = source;
    svg.replace("#000000", colour.name(QColor::HexRgb).toLatin1());
    return svg;
}

// The figure drawn into a transparent square of `device` pixels.
QImage figureImage(const QColor& colour, int device) {
    QImage image(device, device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer renderer(figureSvg(colour));
    renderer.render(&painter, QRectF(0, 0, device, device));
    return image;
}

// Light figures get a dark halo, dark figures a light one.
QColor haloFor(const QColor& figure) {
    return figure.lightnessF() > 0.5 ? QColor(0x10, 0x10, 0x10) : QColor(0xfa, 0xfa, 0xfa);
}

// Whether the last look for a tray found one.
bool trayFoundNow = true;

bool onX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool onDesktop() {
    return onX11() || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

MenuBarLabel::MenuBarLabel(Monitor& monitor, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor) {
    m_waitEnd.setSingleShot(true);
    connect(&m_waitEnd, &QTimer::timeout, this, &MenuBarLabel::decide);
    m_askAgain.setSingleShot(true);
    m_askPause = firstAskPause;
    connect(&m_askAgain, &QTimer::timeout, this, [this] {
        if (!m_tray && m_looking)
            askStatusNotifierHost();
    });
    for (auto signal :
         {&Monitor::stateChanged, &Monitor::isLookingChanged, &Monitor::lastVerdictChanged})
        connect(&m_monitor, signal, this, &MenuBarLabel::refresh);
    connect(SettingsStore::notifier(), &SettingsNotifier::changed, this,
            [this](const QString& key) {
                if (key != SettingsStore::showsMenuBarIconKey || !m_started)
                    return;
                // With the icon off, nothing looks for a tray.
                if (SettingsStore::showsMenuBarIcon()) {
                    lookForTray();
                } else {
                    destroy();
                    stopLooking();
                }
            });
}

MenuBarLabel::~MenuBarLabel() {
    destroy();
}

StatusDot MenuBarLabel::dotFor(const Monitor::State& state, bool isLooking,
                               const std::optional<PostureVerdict>& lastVerdict) {
    switch (state.kind()) {
    case Monitor::State::Kind::needsCalibration:
    case Monitor::State::Kind::noCameraPermission:
    case Monitor::State::Kind::noCamera:
        return StatusDot::orange;
    case Monitor::State::Kind::paused:
        return StatusDot::hollow;
    case Monitor::State::Kind::watching:
        if (isLooking)
            return StatusDot::green;
        return lastVerdict && lastVerdict->isBad() ? StatusDot::orange : StatusDot::none;
    }
    return StatusDot::none;
}

QPixmap MenuBarLabel::picture(StatusDot dot, int size, qreal devicePixelRatio,
                              const QColor& figure) {
    const int device = qRound(size * devicePixelRatio);
    const QColor halo = haloFor(figure);
    QPixmap pixmap(device, device);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The halo: the figure in the opposite tone, spread by about a pixel at 22 px in every
    // direction, under the figure itself.
    const QImage haloShape = figureImage(halo, device);
    const int spread = std::max(1, qRound(device / 18.0));
    for (int dx = -spread; dx <= spread; ++dx) {
        for (int dy = -spread; dy <= spread; ++dy) {
            if (dx * dx + dy * dy <= spread * spread + spread)
                painter.drawImage(QPoint(dx, dy), haloShape);
        }
    }
    painter.drawImage(QPoint(0, 0), figureImage(figure, device));
    // The dot sits in the upper right corner, where the figure leaves room.
    if (dot != StatusDot::none) {
        const qreal diameter = std::max(device * 0.36, 5.0);
        const QRectF circle(device - diameter - device * 0.02, device * 0.02, diameter, diameter);
        if (dot == StatusDot::hollow) {
            const qreal pen = std::max(diameter * 0.2, 1.2);
            const QRectF ring = circle.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(halo, pen + 2.0 * spread));
            painter.drawEllipse(ring);
            painter.setPen(QPen(figure, pen));
            painter.drawEllipse(ring);
        } else {
            // A thin transparent ring keeps the dot apart from the figure.
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.setBrush(Qt::black);
            painter.setPen(Qt::NoPen);
            const qreal ring = std::max(diameter * 0.15, 1.0);
            painter.drawEllipse(circle.adjusted(-ring, -ring, ring, ring));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            // The dot takes the colour meant for the ground the halo gives the figure.
            const QPalette ground(halo, halo);
            painter.setBrush(dot == StatusDot::green ? TiskoColors::good(ground)
                                                     : TiskoColors::warning(ground));
            painter.drawEllipse(circle);
        }
    }
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon MenuBarLabel::icon(StatusDot dot, const QColor& figure) {
    QIcon result;
    for (int size : {16, 22, 24, 32, 48}) {
        for (qreal ratio : {1.0, 2.0})
            result.addPixmap(picture(dot, size, ratio, figure));
    }
    return result;
}

QString MenuBarLabel::toolTip(const Monitor& monitor) {
    const PanelInputs in =
        PanelInputs::from(monitor, NotificationStatus::shared().state(), std::nullopt);
    if (in.state.kind() == Monitor::State::Kind::paused) {
        const Date until = in.state.pausedUntil();
        if (in.calendar && in.calendar(until) == in.calendar(in.now))
            return tr("Tisko: en pausa hasta las %1").arg(PanelModel::shortTime(until));
        return tr("Tisko: en pausa hasta el %1")
            .arg(PanelModel::pauseEnd(until, in.now, in.calendar));
    }
    const QString title = PanelModel::build(in).status.title;
    if (title.isEmpty())
        return QStringLiteral("Tisko");
    //: The tray icon's tooltip: %1 is the panel's headline, its first letter made small.
    return tr("Tisko: %1").arg(title.left(1).toLower() + title.mid(1));
}

StatusDot MenuBarLabel::dot() const {
    return dotFor(m_monitor.state(), m_monitor.isLooking(), m_monitor.lastVerdict());
}

void MenuBarLabel::start(std::chrono::milliseconds hostWait) {
    if (m_started)
        return;
    m_started = true;
    m_hostWait = hostWait;
    // Off screen there is no tray to wait for.
    if (!onDesktop()) {
        decide();
        return;
    }
    if (SettingsStore::showsMenuBarIcon())
        lookForTray();
}

void MenuBarLabel::lookForTray() {
    if (m_looking || !onDesktop())
        return;
    m_looking = true;
    // A StatusNotifier watcher coming or going (a panel starting late, or restarting).
    m_serviceWatcher = new QDBusServiceWatcher(watcherService, QDBusConnection::sessionBus(),
                                               QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this,
            &MenuBarLabel::askStatusNotifierHost);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_askAgain.stop();
        m_askPause = firstAskPause;
        m_statusNotifierWatcher = false;
        m_statusNotifierHost = false;
        hostsChanged();
    });
    // From any sender: naming the watcher's service would make Qt ask the bus for its owner
    // and wait for the answer. A stray signal only makes Tisko ask again, without waiting.
    for (const char* signal : hostSignals)
        QDBusConnection::sessionBus().connect(QString(), watcherPath, watcherService,
                                              QLatin1String(signal), this,
                                              SLOT(askStatusNotifierHost()));
    if (onX11()) {
        // The X server tells when the tray selection changes hands: nothing to poll.
        m_xembed = std::make_unique<X11TraySelection>();
        m_xembedTray = m_xembed->present();
        connect(m_xembed.get(), &X11TraySelection::presentChanged, this, [this](bool present) {
            m_xembedTray = present;
            hostsChanged();
        });
    }
    if (!m_decided)
        m_waitEnd.start(m_hostWait);
    askStatusNotifierHost();
    hostsChanged();
}

void MenuBarLabel::stopLooking() {
    if (!m_looking)
        return;
    m_looking = false;
    delete m_serviceWatcher;
    m_serviceWatcher = nullptr;
    for (const char* signal : hostSignals)
        QDBusConnection::sessionBus().disconnect(QString(), watcherPath, watcherService,
                                                 QLatin1String(signal), this,
                                                 SLOT(askStatusNotifierHost()));
    m_xembed.reset();
    m_askAgain.stop();
    m_askPause = firstAskPause;
    m_waitEnd.stop();
    m_statusNotifierWatcher = false;
    m_statusNotifierHost = false;
    m_xembedTray = false;
}

void MenuBarLabel::askStatusNotifierHost() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    message << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    message.setAutoStartService(false);
    auto* call = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(message, callTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *done;
        m_statusNotifierAnswered = true;
        // Without activation the bus says NameHasNoOwner, with it ServiceUnknown.
        const bool noWatcher =
            reply.isError() &&
            (reply.error().type() == QDBusError::ServiceUnknown ||
             reply.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"));
        m_statusNotifierWatcher = !noWatcher;
        m_statusNotifierHost = reply.isValid() && reply.value().variant().toBool();
        // A watcher that timed out or failed has said nothing about a host: it is asked again,
        // since it will not necessarily announce the host it has.
        if (reply.isError() && !noWatcher)
            askAgainLater(reply.error().name());
        else
            m_askPause = firstAskPause;
        hostsChanged();
    });
}

void MenuBarLabel::askAgainLater(const QString& failure) {
    if (m_tray || !m_looking || m_askAgain.isActive())
        return;
    if (m_askPause == firstAskPause)
        Log::info(QStringLiteral("Bandeja del sistema: el vigilante de StatusNotifier no ha "
                                 "contestado (%1); se le pregunta de nuevo")
                      .arg(failure));
    m_askAgain.start(m_askPause);
    m_askPause = std::min(m_askPause * 2, longestAskPause);
}

bool MenuBarLabel::trayFound() {
    return trayFoundNow;
}

void MenuBarLabel::hostsChanged() {
    if (m_decided)
        trayFoundNow = hasHost();
    if (!m_decided) {
        // Decided once the bus has answered (Qt prefers a StatusNotifier host to an XEmbed
        // tray, and so does the icon), with a tray or with nothing that could become one (no
        // StatusNotifier watcher, no XEmbed tray); otherwise at the end of the wait.
        const bool nothingComing = !m_statusNotifierWatcher && !m_xembedTray;
        if (m_statusNotifierAnswered && (hasHost() || nothingComing))
            decide();
        return;
    }
    if (hasHost() && !m_tray)
        followSetting();
}

void MenuBarLabel::decide() {
    if (m_decided)
        return;
    m_decided = true;
    m_waitEnd.stop();
    trayFoundNow = hasHost();
    if (!hasHost())
        Log::info(QStringLiteral("Bandeja del sistema: no hay ninguna; Tisko sigue mirando, se "
                                 "abre como ventana desde el menú de aplicaciones y pone su "
                                 "icono en cuanto aparezca una bandeja"));
    followSetting();
    Q_EMIT hostDecidedChanged(hasHost());
}

void MenuBarLabel::followSetting() {
    if (SettingsStore::showsMenuBarIcon() && hasHost())
        create();
    else if (!SettingsStore::showsMenuBarIcon())
        destroy();
}

void MenuBarLabel::create() {
    if (m_tray)
        return;
    m_menu = makeMenu();

    // Qt makes a StatusNotifier item when a host is registered now, an XEmbed icon otherwise.
    m_iconIsStatusNotifier = m_statusNotifierHost;
    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    Q_EMIT panelRequested(geometry());
            });
    refresh();
    m_tray->show();
    Log::info(QStringLiteral("Bandeja del sistema: icono mostrado (%1)")
                  .arg(m_iconIsStatusNotifier ? QStringLiteral("StatusNotifier")
                                              : QStringLiteral("XEmbed")));
}

std::unique_ptr<QMenu> MenuBarLabel::makeMenu() {
    auto menu = std::make_unique<QMenu>();
    menu->addAction(tr("Abrir Tisko"), this, [this] { Q_EMIT panelRequested(geometry()); });
    menu->addAction(tr("Comprobar ahora"), this,
                    [this] { m_monitor.look(Monitor::Trigger::manual); });
    menu->addAction(tr("Ajustes…"), this, &MenuBarLabel::settingsRequested);
    menu->addAction(tr("Historial…"), this, &MenuBarLabel::historyRequested);
    if (!Updater::shared().feed().isEmpty()) // a build without a feed leaves updates to the system
        menu->addAction(tr("Buscar actualizaciones…"), this, &MenuBarLabel::updateCheckRequested);
    menu->addSeparator();
    menu->addAction(tr("Salir de Tisko"), this, &MenuBarLabel::quitRequested);
    return menu;
}

void MenuBarLabel::destroy() {
    if (!m_tray)
        return;
    m_tray->hide();
    delete m_tray;
    m_tray = nullptr;
    m_shownDot.reset();
    m_menu.reset();
}

QRect MenuBarLabel::geometry() const {
    return m_tray ? m_tray->geometry() : QRect();
}

QIcon MenuBarLabel::currentIcon() {
    // Hosts that recolour symbolic theme icons get one while the dot has no colour of its own
    // to keep; everything else gets the drawing, which reads on any panel.
    const StatusDot shown = m_shownDot.value_or(StatusDot::none);
    if (m_iconIsStatusNotifier && (shown == StatusDot::none || shown == StatusDot::hollow)) {
        const QString name = shown == StatusDot::hollow ? symbolicPausedIcon : symbolicIcon;
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
        if (!m_reportedMissingSymbolic) {
            m_reportedMissingSymbolic = true;
            Log::info(QStringLiteral("Bandeja del sistema: el tema de iconos no tiene %1; se usa "
                                     "el dibujo propio")
                          .arg(name));
        }
    }
    return icon(shown, m_shownFigure);
}

void MenuBarLabel::refresh() {
    if (!m_tray)
        return;
    // Ten pictures per icon: drawn again only when the dot or the figure's colour changed.
    const StatusDot now = dot();
    const QColor figure = QApplication::palette().color(QPalette::WindowText);
    if (now != m_shownDot || figure != m_shownFigure) {
        m_shownDot = now;
        m_shownFigure = figure;
        m_tray->setIcon(currentIcon());
    }
    m_tray->setToolTip(toolTip(m_monitor));
}

} // namespace tisko
