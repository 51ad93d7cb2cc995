// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/Monitor.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace tisko {

class X11TraySelection;

// The small mark beside the figure in the tray.
enum class StatusDot { none, orange, green, hollow };

// Tisko's tray icon: a seated figure with a status dot, redrawn whenever the Monitor
// changes. The icon is created only once a tray is there to take it: a StatusNotifier host
// (Plasma, XFCE, Cinnamon, MATE, GNOME with the AppIndicator extension), watched on the bus
// without ever blocking, or on X11 an XEmbed tray (the system tray selection), because Qt
// chooses the kind of tray once, when the first icon is made. A tray that appears later gets
// the icon then. A left click asks for the panel; the icon's menu serves hosts that open only
// menus.
class MenuBarLabel : public QObject {
    Q_OBJECT
public:
    explicit MenuBarLabel(Monitor& monitor, QObject* parent = nullptr);
    ~MenuBarLabel() override;

    // The dot for the Monitor's condition: orange while a position, the camera or its
    // permission is missing; green while looking; orange after a bad verdict; hollow while
    // paused; none otherwise.
    static StatusDot dotFor(const Monitor::State& state, bool isLooking,
                            const std::optional<PostureVerdict>& lastVerdict);
    // The icon drawn at `size` logical pixels for a device pixel ratio: the figure in
    // `figure`'s colour inside a halo of the opposite tone, so that it reads on light and
    // dark panels alike; the dot in its own colours.
    static QPixmap picture(StatusDot dot, int size, qreal devicePixelRatio, const QColor& figure);
    // The icon at the tray sizes (16, 22, 24, 32, 48 px, at 1× and 2×).
    static QIcon icon(StatusDot dot, const QColor& figure);
    // The icon's tooltip: the state in words ("Tisko: en pausa hasta las 15:00").
    static QString toolTip(const Monitor& monitor);
    // The dot shown now.
    StatusDot dot() const;

    // Looks for a tray now and from then on, while the "showsMenuBarIcon" setting is on (with
    // the icon off nothing looks); after `hostWait` without one (or at once when nothing that
    // could become one is there) the absence is decided. Shows the icon whenever a tray is
    // there, and follows the setting.
    void start(std::chrono::milliseconds hostWait = std::chrono::seconds(5));
    // Whether the first look for a tray has ended (with a tray or without).
    bool hostDecided() const { return m_decided; }
    // Whether a tray is there to take the icon now.
    bool hasHost() const { return m_statusNotifierHost || m_xembedTray; }
    // Whether the running Tisko has a tray for its icon (true until a look found none).
    static bool trayFound();
    // Whether the icon exists now.
    bool isShown() const { return m_tray != nullptr; }
    // The tray icon (for tests), or nullptr.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // The icon's menu, as the tray shows it.
    std::unique_ptr<QMenu> makeMenu();
    // The icon's place on the screen; empty where the tray does not tell.
    QRect geometry() const;
    // Shows the Monitor's state: the tooltip, and the icon drawn again when its dot or the
    // palette's text colour changed.
    void refresh();

Q_SIGNALS:
    // A left click on the icon, or "Abrir Tisko" in its menu.
    void panelRequested(QRect iconGeometry);
    void settingsRequested();
    // "Historial…" in the icon's menu.
    void historyRequested();
    // "Buscar actualizaciones…" in the icon's menu.
    void updateCheckRequested();
    void quitRequested();
    // The first look for a tray has ended; `found` tells whether one is there.
    void hostDecidedChanged(bool found);

private Q_SLOTS:
    void askStatusNotifierHost();

private:
    void askAgainLater(const QString& failure);
    void lookForTray();
    void stopLooking();
    void hostsChanged();
    void decide();
    void followSetting();
    void create();
    void destroy();
    QIcon currentIcon();

    Monitor& m_monitor;
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QMenu> m_menu;
    QTimer m_waitEnd;
    std::chrono::milliseconds m_hostWait{5000};
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    std::unique_ptr<X11TraySelection> m_xembed;
    // Asks the StatusNotifier watcher again after a question it left unanswered or failed.
    QTimer m_askAgain;
    std::chrono::milliseconds m_askPause;
    bool m_started = false;
    // Whether Tisko looks for a tray now (not while the icon is switched off).
    bool m_looking = false;
    bool m_decided = false;
    bool m_statusNotifierHost = false;
    // Whether the bus has answered the first question about a StatusNotifier host.
    bool m_statusNotifierAnswered = false;
    bool m_statusNotifierWatcher = false;
    bool m_xembedTray = false;
    // Whether Qt made the icon a StatusNotifier item (hosts that recolour symbolic icons).
    bool m_iconIsStatusNotifier = false;
    bool m_reportedMissingSymbolic = false;
    // The dot and figure colour the icon was drawn with; no dot while no icon is drawn.
    std::optional<StatusDot> m_shownDot;
    QColor m_shownFigure;
};

} // namespace tisko
