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

class QMenu;
class QSystemTrayIcon;

namespace tisko {

// The small mark beside the figure in the tray.
enum class StatusDot { none, orange, green, hollow };

// Tisko's tray icon: a seated figure with a status dot, redrawn whenever the Monitor
// changes. It waits for a StatusNotifier host (Plasma, XFCE, Cinnamon, MATE, GNOME with the
// AppIndicator extension) before creating the icon, because Qt chooses the kind of tray only
// once; after the wait it falls back to the XEmbed tray. A left click asks for the panel;
// the icon's menu serves hosts that open only menus.
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
    // The icon drawn at `size` logical pixels for a device pixel ratio, the figure in
    // `figure`'s colour.
    static QPixmap picture(StatusDot dot, int size, qreal devicePixelRatio, const QColor& figure);
    // The icon at the tray sizes (16, 22, 24, 32, 48 px, at 1× and 2×).
    static QIcon icon(StatusDot dot, const QColor& figure);
    // The dot shown now.
    StatusDot dot() const;

    // Shows the icon as the "showsMenuBarIcon" setting says, once a tray host has appeared
    // or `hostWait` has passed; follows the setting from then on.
    void start(std::chrono::milliseconds hostWait = std::chrono::seconds(5));
    // Whether the icon exists now.
    bool isShown() const { return m_tray != nullptr; }
    // The tray icon (for tests), or nullptr.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // The icon's place on the screen; empty where the tray does not tell.
    QRect geometry() const;
    // Draws the icon again (after a change of palette).
    void refresh();

Q_SIGNALS:
    // A left click on the icon, or "Abrir Tisko" in its menu.
    void panelRequested(QRect iconGeometry);
    void checkRequested();
    void settingsRequested();
    // "Buscar actualizaciones…" in the icon's menu.
    void updateCheckRequested();
    void quitRequested();

private:
    void waitForHost();
    void followSetting();
    void create();
    void destroy();
    static bool statusNotifierHostPresent();

    Monitor& m_monitor;
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QMenu> m_menu;
    QTimer m_hostPoll;
    std::chrono::steady_clock::time_point m_waitEnd;
    bool m_waiting = false;
    bool m_reportedHost = false;
    StatusDot m_shownDot = StatusDot::none;
};

} // namespace tisko
