// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tisko {

// Follows the owner of the XEmbed system tray selection of the default screen
// (_NET_SYSTEM_TRAY_S<n>) through XFixes selection notifications, on a connection to the X
// server of its own: nothing runs while the owner stays. Main thread only.
class X11TraySelection : public QObject {
    Q_OBJECT
public:
    // Connects to the named display, or $DISPLAY when the name is empty.
    explicit X11TraySelection(const QByteArray& displayName = {}, QObject* parent = nullptr);
    ~X11TraySelection() override;

    // Whether the server tells of owner changes (it is there and has XFixes).
    bool isWatching() const;
    // Whether a tray owns the selection now.
    bool present() const { return m_present; }

Q_SIGNALS:
    void presentChanged(bool present);

private:
    void readEvents();

    struct Connection;
    std::unique_ptr<Connection> m_connection;
    QSocketNotifier* m_notifier = nullptr;
    bool m_present = false;
};

} // namespace tisko
