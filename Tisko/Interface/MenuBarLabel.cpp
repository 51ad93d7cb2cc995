#include "Tisko/Interface/MenuBarLabel.h"

#include "Tisko/Interface/Appearance.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/DBusQuery.h"
#include "Tisko/System/Updater.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <QSystemTrayIcon>

namespace tisko {

namespace {

constexpr int hostPollMs = 200;
const QColor orange(0xf0, 0x8c, 0x00);
const QColor green(0x2e, 0xb8, 0x4b);

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

} // namespace

MenuBarLabel::MenuBarLabel(Monitor& monitor, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor) {
    m_hostPoll.setInterval(hostPollMs);
    connect(&m_hostPoll, &QTimer::timeout, this, &MenuBarLabel::waitForHost);
    for (auto signal :
         {&Monitor::stateChanged, &Monitor::isLookingChanged, &Monitor::lastVerdictChanged})
        connect(&m_monitor, signal, this, &MenuBarLabel::refresh);
    connect(SettingsStore::notifier(), &SettingsNotifier::changed, this,
            [this](const QString& key) {
                if (key == SettingsStore::showsMenuBarIconKey && !m_waiting)
                    followSetting();
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
    QPixmap pixmap(device, device);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The figure fills the square; the dot sits in its upper right corner, where the
    // figure leaves room.
    QSvgRenderer renderer(figureSvg(figure));
    renderer.render(&painter, QRectF(0, 0, device, device));
    if (dot != StatusDot::none) {
        const qreal diameter = std::max(device * 0.36, 5.0);
        const QRectF circle(device - diameter - device * 0.02, device * 0.02, diameter, diameter);
        if (dot == StatusDot::hollow) {
            const qreal pen = std::max(diameter * 0.2, 1.2);
            painter.setPen(QPen(figure, pen));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(circle.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2));
        } else {
            // A thin ring in the background's colour keeps the dot apart from the figure.
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.setBrush(Qt::black);
            painter.setPen(Qt::NoPen);
            const qreal ring = std::max(diameter * 0.15, 1.0);
            painter.drawEllipse(circle.adjusted(-ring, -ring, ring, ring));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setBrush(dot == StatusDot::green ? green : orange);
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

StatusDot MenuBarLabel::dot() const {
    return dotFor(m_monitor.state(), m_monitor.isLooking(), m_monitor.lastVerdict());
}

void MenuBarLabel::start(std::chrono::milliseconds hostWait) {
    m_waitEnd = std::chrono::steady_clock::now() + hostWait;
    m_waiting = true;
    waitForHost();
    if (m_waiting)
        m_hostPoll.start();
}

bool MenuBarLabel::statusNotifierHostPresent() {
    DBusQuery query(QDBusConnection::sessionBus(), std::chrono::milliseconds(100));
    const std::optional<QVariant> registered =
        query.property(QStringLiteral("org.kde.StatusNotifierWatcher"), // service
                       QStringLiteral("/StatusNotifierWatcher"),        // path
                       QStringLiteral("org.kde.StatusNotifierWatcher"), // interface
                       QStringLiteral("IsStatusNotifierHostRegistered"), QMetaType::Bool);
    return registered && registered->toBool();
}

void MenuBarLabel::waitForHost() {
    if (!statusNotifierHostPresent() && std::chrono::steady_clock::now() < m_waitEnd)
        return;
    m_hostPoll.stop();
    m_waiting = false;
    followSetting();
}

void MenuBarLabel::followSetting() {
    if (SettingsStore::showsMenuBarIcon())
        create();
    else
        destroy();
}

void MenuBarLabel::create() {
    if (m_tray)
        return;
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(tr("Abrir Tisko"), this, [this] { Q_EMIT panelRequested(geometry()); });
    m_menu->addAction(tr("Comprobar ahora"), this, &MenuBarLabel::checkRequested);
    m_menu->addAction(tr("Ajustes…"), this, &MenuBarLabel::settingsRequested);
    if (!Updater::shared().feed().isEmpty()) // a build without a feed leaves updates to the system
        m_menu->addAction(tr("Buscar actualizaciones…"), this, &MenuBarLabel::updateCheckRequested);
    m_menu->addSeparator();
    m_menu->addAction(tr("Salir de Tisko"), this, &MenuBarLabel::quitRequested);

    m_tray = new QSystemTrayIcon(this);
    m_tray->setToolTip(QStringLiteral("Tisko"));
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    Q_EMIT panelRequested(geometry());
            });
    m_shownDot = dot();
    m_tray->setIcon(icon(m_shownDot, QApplication::palette().color(QPalette::WindowText)));
    m_tray->show();
    if (m_reportedHost)
        return;
    m_reportedHost = true;
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        Log::info(QStringLiteral(
            "Bandeja del sistema: no hay ninguna; Tisko sigue mirando y se abre otra vez "
            "desde el menú de aplicaciones"));
    else
        Log::info(QStringLiteral("Bandeja del sistema: icono mostrado (%1)")
                      .arg(statusNotifierHostPresent() ? QStringLiteral("StatusNotifier")
                                                       : QStringLiteral("XEmbed")));
}

void MenuBarLabel::destroy() {
    if (!m_tray)
        return;
    m_tray->hide();
    delete m_tray;
    m_tray = nullptr;
    m_menu.reset();
}

QRect MenuBarLabel::geometry() const {
    return m_tray ? m_tray->geometry() : QRect();
}

void MenuBarLabel::refresh() {
    if (!m_tray)
        return;
    m_shownDot = dot();
    m_tray->setIcon(icon(m_shownDot, QApplication::palette().color(QPalette::WindowText)));
}

} // namespace tisko
