// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/X11TraySelection.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cerrno>
#include <sys/socket.h>

namespace tisko {

struct X11TraySelection::Connection {
    Display* display = nullptr;
    Atom selection = None;
    int eventBase = 0;
};

X11TraySelection::X11TraySelection(const QByteArray& displayName, QObject* parent)
    : QObject(parent)
    , m_connection(std::make_unique<Connection>()) {
    Connection& c = *m_connection;
    c.display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (c.display == nullptr)
        return;
    int errorBase = 0;
    int major = 1;
    int minor = 0;
    if (!XFixesQueryExtension(c.display, &c.eventBase, &errorBase) ||
        !XFixesQueryVersion(c.display, &major, &minor)) {
        XCloseDisplay(c.display);
        c.display = nullptr;
        return;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(XDefaultScreen(c.display));
    c.selection = XInternAtom(c.display, name.constData(), False);
    XFixesSelectSelectionInput(c.display, XDefaultRootWindow(c.display), c.selection,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    // Asked after the notifications are on, so that no change falls between the two.
    m_present = XGetSelectionOwner(c.display, c.selection) != None;
    XFlush(c.display);
    m_notifier = new QSocketNotifier(ConnectionNumber(c.display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11TraySelection::readEvents);
}

X11TraySelection::~X11TraySelection() {
    if (m_connection->display != nullptr)
        XCloseDisplay(m_connection->display);
}

bool X11TraySelection::isWatching() const {
    return m_connection->display != nullptr;
}

void X11TraySelection::readEvents() {
    Display* display = m_connection->display;
    // A server gone away would make Xlib end the process from here; Qt's own connection notices
    // too, and Tisko ends from there, saying why.
    char byte = 0;
    const ssize_t peeked = ::recv(ConnectionNumber(display), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        m_notifier->setEnabled(false);
        return;
    }
    bool changed = false;
    // Asking for the owner may bring more events into Xlib's queue, where the socket no longer
    // shows them.
    while (XPending(display) > 0) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            changed = changed || event.type == m_connection->eventBase + XFixesSelectionNotify;
        }
        if (changed) {
            changed = false;
            const bool present = XGetSelectionOwner(display, m_connection->selection) != None;
            if (present != m_present) {
                m_present = present;
                Q_EMIT presentChanged(present);
            }
        }
    }
}

} // namespace tisko
