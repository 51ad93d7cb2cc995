// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/X11Display.h"

#include <algorithm>
#include <cstring>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace tisko {

namespace {
// EDID base block plus one extension is all the identity needs (counted in 32-bit units).
constexpr long edidLongs = 64;
} // namespace

struct X11Display::Connection {
    Display* display = nullptr;
    Atom edidAtom = None;
    bool hasScreenSaver = false;
    bool hasDpms = false;
    bool hasRandr = false;
    XScreenSaverInfo* saverInfo = nullptr;
};

X11Display::X11Display(const QByteArray& name)
    : m_connection(std::make_unique<Connection>()) {
    Connection& c = *m_connection;
    c.display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (c.display == nullptr)
        return;
    int eventBase = 0;
    int errorBase = 0;
    c.hasScreenSaver = XScreenSaverQueryExtension(c.display, &eventBase, &errorBase) != 0;
    c.hasDpms =
        DPMSQueryExtension(c.display, &eventBase, &errorBase) != 0 && DPMSCapable(c.display) != 0;
    int major = 0;
    int minor = 0;
    c.hasRandr = XRRQueryExtension(c.display, &eventBase, &errorBase) != 0 &&
                 XRRQueryVersion(c.display, &major, &minor) != 0 && (major > 1 || minor >= 3);
    c.edidAtom = XInternAtom(c.display, "EDID", False);
    if (c.hasScreenSaver)
        c.saverInfo = XScreenSaverAllocInfo();
}

X11Display::~X11Display() {
    if (m_connection->saverInfo != nullptr)
        XFree(m_connection->saverInfo);
    if (m_connection->display != nullptr)
        XCloseDisplay(m_connection->display);
}

X11Display& X11Display::shared() {
    static X11Display display;
    return display;
}

bool X11Display::isOpen() const {
    return m_connection->display != nullptr;
}

std::optional<unsigned long> X11Display::idleMilliseconds() {
    Connection& c = *m_connection;
    if (c.saverInfo == nullptr)
        return std::nullopt;
    if (XScreenSaverQueryInfo(c.display, DefaultRootWindow(c.display), c.saverInfo) == 0)
        return std::nullopt;
    return c.saverInfo->idle;
}

std::optional<bool> X11Display::monitorAsleep() {
    Connection& c = *m_connection;
    if (!c.hasDpms)
        return std::nullopt;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (DPMSInfo(c.display, &level, &enabled) == 0)
        return std::nullopt;
    return enabled != 0 && level != DPMSModeOn;
}

std::optional<std::vector<QByteArray>> X11Display::connectedEdids() {
    Connection& c = *m_connection;
    if (!c.hasRandr)
        return std::nullopt;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(c.display, DefaultRootWindow(c.display));
    if (resources == nullptr)
        return std::nullopt;
    std::vector<QByteArray> edids;
    for (int i = 0; i < resources->noutput; ++i) {
        const RROutput output = resources->outputs[i];
        XRROutputInfo* info = XRRGetOutputInfo(c.display, resources, output);
        const bool connected = info != nullptr && info->connection == RR_Connected;
        if (info != nullptr)
            XRRFreeOutputInfo(info);
        if (!connected)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int status =
            XRRGetOutputProperty(c.display, output, c.edidAtom, 0, edidLongs, False, False,
                                 AnyPropertyType, &type, &format, &count, &remaining, &data);
        if (status == Success && format == 8 && count > 0 && data != nullptr)
            edids.emplace_back(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        if (data != nullptr)
            XFree(data);
    }
    XRRFreeScreenResources(resources);
    return edids;
}

bool X11Display::systemTrayPresent() {
    Display* display = m_connection->display;
    if (display == nullptr)
        return false;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(XDefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    return selection != None && XGetSelectionOwner(display, selection) != None;
}

bool X11Display::activate(unsigned long window, unsigned long timestamp) {
    Display* display = m_connection->display;
    if (display == nullptr || window == 0)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // from an application
    event.xclient.data.l[1] = static_cast<long>(timestamp);
    const bool sent = XSendEvent(display, XDefaultRootWindow(display), False,
                                 SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XFlush(display);
    return sent;
}

bool X11Display::endStartup(const QByteArray& startupId) {
    Display* display = m_connection->display;
    if (display == nullptr || startupId.isEmpty())
        return false;
    // A startup message is a quoted text broadcast in pieces of 20 bytes, the first one as a
    // "begin", from a window of the sender's.
    QByteArray quoted = startupId;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    const QByteArray message = "remove: ID=\"" + quoted + "\"";
    const Window root = XDefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window sender = XCreateWindow(display, root, -100, -100, 1, 1, 0, CopyFromParent,
                                        InputOnly, CopyFromParent, CWOverrideRedirect, &attributes);
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    const qsizetype length = message.size() + 1; // with its closing zero
    for (qsizetype offset = 0; offset < length; offset += 20) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = sender;
        event.xclient.message_type = offset == 0 ? begin : more;
        event.xclient.format = 8;
        const qsizetype piece = std::min<qsizetype>(20, message.size() - offset);
        if (piece > 0)
            std::memcpy(event.xclient.data.b, message.constData() + offset, size_t(piece));
        XSendEvent(display, root, False, PropertyChangeMask, &event);
    }
    XDestroyWindow(display, sender);
    XFlush(display);
    return true;
}

} // namespace tisko
