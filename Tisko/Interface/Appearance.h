// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>
#include <QObject>
#include <QPalette>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QVariant>

#include <optional>

namespace tisko {

// Light or dark, as the desktop prefers.
enum class ColorScheme { light, dark };

// Tisko's look: the Fusion style with a light and a dark palette, following the desktop's
// colour-scheme preference (the freedesktop appearance setting, read through the settings
// portal; light where there is no portal or no preference). A change while Tisko runs
// repaints every window.
class Appearance : public QObject {
    Q_OBJECT
public:
    explicit Appearance(QObject* parent = nullptr);

    // The palette of a scheme.
    static QPalette palette(ColorScheme scheme);
    // Sets the Fusion style and the scheme's palette on the application.
    static void apply(ColorScheme scheme);
    // The scheme of a portal "color-scheme" value: 1 dark; 0 (no preference), 2 (light) and
    // anything else light.
    static ColorScheme schemeFromPortal(const QVariant& value);

    // Makes the interface's bundled pictures (":/tisko/…") available; safe to call often.
    static void registerResources();
    // Tisko's own icon: the installed theme's, else the bundled drawing.
    static QIcon appIcon();

    // Applies light at once, asks the settings portal on `bus` for the preference without
    // waiting for it, and switches as soon as the answer comes (a portal that has not answered
    // within a second leaves it light); then listens for changes.
    void follow(QDBusConnection bus = QDBusConnection::sessionBus());
    // The scheme in use.
    ColorScheme scheme() const { return m_scheme; }

Q_SIGNALS:
    void schemeChanged(tisko::ColorScheme scheme);

private Q_SLOTS:
    void portalSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void use(ColorScheme scheme);

    ColorScheme m_scheme = ColorScheme::light;
    // A change was heard: it is newer than any answer still on its way.
    bool m_changeHeard = false;
};

} // namespace tisko
