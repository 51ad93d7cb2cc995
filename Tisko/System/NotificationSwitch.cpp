// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/NotificationSwitch.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <memory>
#include <utility>

namespace tisko {

namespace {

// Hands the first answer over and drops every later one, so a timeout racing the process
// cannot answer twice.
class OneAnswer {
public:
    explicit OneAnswer(std::function<void(bool)> handler)
        : m_handler(std::move(handler)) {}
    void operator()(bool enabled) {
        if (auto handler = std::exchange(m_handler, nullptr))
            handler(enabled);
    }

private:
    std::function<void(bool)> m_handler;
};

// Runs gsettings with `arguments` and hands over what it printed, trimmed; nothing (an empty
// text) when it failed, did not start or did not end within `timeoutMs`. Answers once.
void askGsettings(QObject* context, const QString& program, const QStringList& arguments,
                  std::function<void(const QByteArray&)> handler, int timeoutMs) {
    auto answer = std::make_shared<std::function<void(const QByteArray&)>>(std::move(handler));
    const auto deliver = [answer](const QByteArray& out) {
        if (*answer)
            std::exchange(*answer, {})(out);
    };
    auto* process = new QProcess(context);
    QObject::connect(process, &QProcess::finished, context,
                     [process, deliver](int exitCode, QProcess::ExitStatus status) {
                         const QByteArray out = process->readAllStandardOutput().trimmed();
                         process->deleteLater();
                         deliver(status == QProcess::NormalExit && exitCode == 0 ? out
                                                                                 : QByteArray());
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, deliver](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         deliver({});
                     });
    QTimer::singleShot(timeoutMs, process, [process, deliver] {
        deliver({});
        process->kill();
    });
    process->start(program, arguments);
}

} // namespace

NotificationSwitch::Environment NotificationSwitch::fromProcess() {
    Environment environment;
    environment.desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    environment.configHome =
        QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.config");
    return environment;
}

NotificationSwitch::NotificationSwitch(QString desktopEntry, Environment environment)
    : m_desktopEntry(std::move(desktopEntry))
    , m_environment(std::move(environment)) {}

bool NotificationSwitch::onDesktop(const QString& name) const {
    const auto names = m_environment.desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return names.contains(name, Qt::CaseInsensitive);
}

QString NotificationSwitch::gnomeSettingsPath(const QString& desktopEntry) {
    // GNOME keys an application by its desktop id in lower case, every character other than a
    // letter, a digit or '-' turned into '-'.
    QString id = desktopEntry.toLower();
    for (QChar& c : id) {
        const bool keep = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        if (!keep)
            c = QLatin1Char('-');
    }
    return QStringLiteral("/org/gnome/desktop/notifications/application/") + id + QLatin1Char('/');
}

bool NotificationSwitch::plasmaShowsPopups(const QString& rcText, const QString& desktopEntry) {
    const QString group = QStringLiteral("[Applications][") + desktopEntry + QLatin1Char(']');
    bool inGroup = false;
    bool shows = true;
    const auto lines = rcText.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == group;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QLatin1String("ShowPopups"))
            continue;
        // KConfig reads "false", "off", "no" and "0" as false; anything else leaves it on.
        const QString value = line.mid(equals + 1).trimmed().toLower();
        shows = !(value == QLatin1String("false") || value == QLatin1String("off") ||
                  value == QLatin1String("no") || value == QLatin1String("0"));
    }
    return shows;
}

void NotificationSwitch::query(QObject* context, std::function<void(bool)> handler,
                               int timeoutMs) const {
    auto answer = std::make_shared<OneAnswer>(std::move(handler));
    QPointer<QObject> guard(context);
    auto deliver = [answer, guard](bool enabled) {
        if (guard)
            (*answer)(enabled);
    };

    if (onDesktop(QStringLiteral("KDE"))) {
        QFile rc(m_environment.configHome + QStringLiteral("/plasmanotifyrc"));
        const bool shows = !rc.open(QIODevice::ReadOnly) ||
                           plasmaShowsPopups(QString::fromUtf8(rc.readAll()), m_desktopEntry);
        QMetaObject::invokeMethod(
            context, [deliver, shows] { deliver(shows); }, Qt::QueuedConnection);
        return;
    }
    if (!onDesktop(QStringLiteral("GNOME"))) {
        QMetaObject::invokeMethod(
            context, [deliver] { deliver(true); }, Qt::QueuedConnection);
        return;
    }

    askGsettings(
        context, m_environment.gsettings,
        {QStringLiteral("get"),
         QStringLiteral("org.gnome.desktop.notifications.application:") +
             gnomeSettingsPath(m_desktopEntry),
         QStringLiteral("enable")},
        // A missing schema or a failed read leaves the notifications on.
        [deliver](const QByteArray& out) { deliver(out != "false"); }, timeoutMs);
}

void NotificationSwitch::querySilenced(QObject* context, std::function<void(bool)> handler,
                                       int timeoutMs) const {
    auto answer = std::make_shared<OneAnswer>(std::move(handler));
    QPointer<QObject> guard(context);
    auto deliver = [answer, guard](bool silenced) {
        if (guard)
            (*answer)(silenced);
    };
    if (!onDesktop(QStringLiteral("GNOME"))) {
        QMetaObject::invokeMethod(
            context, [deliver] { deliver(false); }, Qt::QueuedConnection);
        return;
    }
    askGsettings(
        context, m_environment.gsettings,
        {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.notifications"),
         QStringLiteral("show-banners")},
        [deliver](const QByteArray& out) { deliver(out == "false"); }, timeoutMs);
}

} // namespace tisko
