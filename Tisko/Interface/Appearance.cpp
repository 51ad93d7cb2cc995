// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/Appearance.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStyle>
#include <QStyleFactory>

// The pictures of the interface are linked into a static library; they must be registered.
static void registerInterfaceResources() {
    Q_INIT_RESOURCE(Interface);
}

namespace tisko {

void Appearance::registerResources() {
    static const bool once = (registerInterfaceResources(), true);
    Q_UNUSED(once);
}

QIcon Appearance::appIcon() {
    registerResources();
    return QIcon::fromTheme(QStringLiteral(TISKO_APP_ID),
                            QIcon(QStringLiteral(":/tisko/app-icon.svg")));
}

namespace {

constexpr auto portalService = "org.freedesktop.portal.Desktop";
constexpr auto portalPath = "/org/freedesktop/portal/desktop";
constexpr auto portalInterface = "org.freedesktop.portal.Settings";
constexpr auto appearanceGroup = "org.freedesktop.appearance";
constexpr auto colorSchemeKey = "color-scheme";
// The longest the portal may take to answer; it may have to start first.
constexpr int answerTimeMs = 1000;

// The portal's Read answers a variant inside a variant; unwrap every level.
QVariant unwrapped(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

// Text of disabled controls in one grey, so they do not look clickable.
void greyDisabledText(QPalette& palette, const QColor& grey) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, grey);
}

} // namespace

Appearance::Appearance(QObject* parent)
    : QObject(parent) {}

QPalette Appearance::palette(ColorScheme scheme) {
    if (scheme == ColorScheme::light) {
        QPalette light(QColor(0xef, 0xef, 0xef));
        light.setColor(QPalette::Window, QColor(0xf6, 0xf5, 0xf4));
        light.setColor(QPalette::Base, Qt::white);
        light.setColor(QPalette::AlternateBase, QColor(0xf0, 0xf0, 0xf0));
        light.setColor(QPalette::Text, QColor(0x1e, 0x1e, 0x1e));
        light.setColor(QPalette::WindowText, QColor(0x1e, 0x1e, 0x1e));
        light.setColor(QPalette::ButtonText, QColor(0x1e, 0x1e, 0x1e));
        // Secondary text and white on the accent keep 4.5:1 against their backgrounds.
        light.setColor(QPalette::PlaceholderText, QColor(0x6b, 0x6b, 0x6b));
        light.setColor(QPalette::Highlight, QColor(0x1a, 0x5f, 0xb4));
        light.setColor(QPalette::HighlightedText, Qt::white);
        light.setColor(QPalette::Link, QColor(0x1a, 0x5f, 0xb4));
        light.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe1));
        light.setColor(QPalette::ToolTipText, Qt::black);
        greyDisabledText(light, QColor(0x9a, 0x9a, 0x9a));
        return light;
    }
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2d);
    const QColor text(0xee, 0xee, 0xee);
    const QColor disabled(0x80, 0x80, 0x80);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    // Fields and boxes lighter than the window: Fusion outlines them darker than the window,
    // which a darker field would swallow.
    dark.setColor(QPalette::Base, QColor(0x3a, 0x3a, 0x3d));
    dark.setColor(QPalette::AlternateBase, QColor(0x42, 0x42, 0x45));
    dark.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0xa6, 0xa6, 0xa6));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x48, 0x48, 0x4b));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    dark.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4d));
    dark.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x43));
    dark.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x32));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::Highlight, QColor(0x1a, 0x5f, 0xb4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    greyDisabledText(dark, disabled);
    dark.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    return dark;
}

void Appearance::apply(ColorScheme scheme) {
    registerResources();
    if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(palette(scheme));
}

ColorScheme Appearance::schemeFromPortal(const QVariant& value) {
    bool ok = false;
    const uint preference = unwrapped(value).toUInt(&ok);
    return ok && preference == 1 ? ColorScheme::dark : ColorScheme::light;
}

void Appearance::follow(QDBusConnection bus) {
    m_scheme = ColorScheme::light;
    m_changeHeard = false;
    apply(m_scheme);
    // Only the bus itself answers for the listening (who owns the portal's name), never the
    // portal, which may still be starting.
    // The slot is found by its parameters' type names: the variant's must be known first.
    qRegisterMetaType<QDBusVariant>();
    bus.connect(QLatin1String(portalService), QLatin1String(portalPath),
                QLatin1String(portalInterface), QStringLiteral("SettingChanged"), this,
                SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(QLatin1String(portalService), QLatin1String(portalPath),
                                       QLatin1String(portalInterface), QStringLiteral("Read"));
    read << QLatin1String(appearanceGroup) << QLatin1String(colorSchemeKey);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, answerTimeMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QVariant> reply = *w;
        // No portal, no answer in time, or a change heard meanwhile: the scheme stays.
        if (!reply.isError() && !m_changeHeard)
            use(schemeFromPortal(reply.value()));
    });
}

void Appearance::portalSettingChanged(const QString& group, const QString& key,
                                      const QDBusVariant& value) {
    if (group == QLatin1String(appearanceGroup) && key == QLatin1String(colorSchemeKey)) {
        m_changeHeard = true;
        use(schemeFromPortal(value.variant()));
    }
}

void Appearance::use(ColorScheme scheme) {
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    apply(scheme);
    Q_EMIT schemeChanged(scheme);
}

} // namespace tisko
