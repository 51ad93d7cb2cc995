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

TEST(SessionDisplays, randrOutputEdidGivesTheKey) {
    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    // Xvfb's one output has no EDID of its own.
    EXPECT_EQ(DisplaySet::currentKey({&x11}), QStringLiteral("displays:"));

    // The test puts one on the first output, as a monitor's driver would.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    ASSERT_TRUE(resources != nullptr && resources->noutput > 0);
    const RROutput output = resources->outputs[0];
    XRRFreeScreenResources(resources);
    const Atom edid = XInternAtom(display, "EDID", False);
    const QByteArray blob = test::edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    XRRChangeOutputProperty(display, output, edid, XA_INTEGER, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(blob.constData()),
                            static_cast<int>(blob.size()));
    XSync(display, False);
    EXPECT_EQ(DisplaySet::currentKey({&x11}), DisplaySet::keyFor({blob}));
    EXPECT_EQ(DisplaySet::currentKey(), DisplaySet::keyFor({blob}));
    XRRDeleteOutputProperty(display, output, edid);
    XCloseDisplay(display);
}

} // namespace
} // namespace tisko
