// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "FakeDisplays.h"
#include "SessionHarness.h"

#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/DisplayWatcher.h"
#include "Tisko/System/X11Display.h"

#include <QProcess>
#include <QSignalSpy>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;

bool xrandr(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xrandr"), arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

TEST(SessionDisplays, monitorsAddedAndRemovedRaiseTheChangeSignal) {
    DisplayWatcher watcher;
    QSignalSpy changed(&watcher, &DisplayWatcher::displaysChanged);
    xrandr({QStringLiteral("--delmonitor"), QStringLiteral("TiskoSide")});

    ASSERT_TRUE(xrandr({QStringLiteral("--setmonitor"), QStringLiteral("TiskoSide"),
                        QStringLiteral("640/170x480/130+0+0"), QStringLiteral("none")}));
    EXPECT_TRUE(test::waitUntil([&] { return changed.count() >= 1; }, 5s));
    const qsizetype afterAdd = changed.count();

    ASSERT_TRUE(xrandr({QStringLiteral("--delmonitor"), QStringLiteral("TiskoSide")}));
    EXPECT_TRUE(test::waitUntil([&] { return changed.count() > afterAdd; }, 5s));
}

// The X server's outputs, with an EDID property the test puts on the first one, as a
// monitor's driver would.
class RandrEdid {
public:
    RandrEdid()
        : m_display(XOpenDisplay(nullptr)) {
        if (m_display == nullptr)
            return;
        m_atom = XInternAtom(m_display, "EDID", False);
        XRRScreenResources* resources =
            XRRGetScreenResourcesCurrent(m_display, DefaultRootWindow(m_display));
        if (resources != nullptr && resources->noutput > 0)
            m_output = resources->outputs[0];
        if (resources != nullptr)
            XRRFreeScreenResources(resources);
    }
    ~RandrEdid() {
        if (m_display == nullptr)
            return;
        if (m_output != 0)
            XRRDeleteOutputProperty(m_display, m_output, m_atom);
        XCloseDisplay(m_display);
    }
    bool set(const QByteArray& edid) {
        if (m_output == 0)
            return false;
        XRRChangeOutputProperty(m_display, m_output, m_atom, XA_INTEGER, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(edid.constData()),
                                static_cast<int>(edid.size()));
        XSync(m_display, False);
        return true;
    }

private:
    Display* m_display = nullptr;
    Atom m_atom = None;
    RROutput m_output = 0;
};

TEST(SessionDisplays, randrOutputEdidGivesTheKey) {
    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    // Xvfb's one output has no EDID of its own.
    EXPECT_EQ(DisplaySet::currentKey({&x11}), QStringLiteral("displays:"));

    RandrEdid edid;
    const QByteArray blob = test::edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    ASSERT_TRUE(edid.set(blob));
    EXPECT_EQ(DisplaySet::currentKey({&x11}), DisplaySet::keyFor({blob}));
    EXPECT_EQ(DisplaySet::currentKey(), DisplaySet::keyFor({blob}));
}

} // namespace
} // namespace tisko
