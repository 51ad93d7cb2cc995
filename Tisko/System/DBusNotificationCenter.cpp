// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DBusNotificationCenter.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"
#include "Tisko/System/Notifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>
#include <QVariantMap>

namespace tisko {

namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString notificationsInterface = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");
const QString buttonAction = QStringLiteral("button");

constexpr int imageSize = 64;

QDBusMessage busCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),  // service
                                          QStringLiteral("/org/freedesktop/DBus"), // path
                                          QStringLiteral("org.freedesktop.DBus"),  // interface
                                          method);
}

// Servers that read markup in the body would take '<' or '&' in a text (a version from the
// update feed, say) as a tag or an entity; escaping keeps the text as given.
QString bodyFor(const QString& body, bool serverReadsMarkup) {
    return serverReadsMarkup ? body.toHtmlEscaped() : body;
}

} // namespace

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection connection,
                                               NotificationSwitch appSwitch, QObject* parent,
                                               int callTimeoutMs)
    : NotificationCenter(parent)
    , m_connection(std::move(connection))
    , m_switch(std::move(appSwitch))
    , m_callTimeoutMs(callTimeoutMs) {
    if (!m_connection.isConnected())
        return;
    m_connection.connect(notificationsService, notificationsPath, notificationsInterface,
                         QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(notificationsService, notificationsPath, notificationsInterface,
                         QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint)));
    // What changes the reach: the service coming or going, its own inhibited or paused
    // property (Plasma, dunst), XFCE's settings.
    auto* owner = new QDBusServiceWatcher(notificationsService, m_connection,
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &NotificationCenter::reachMayHaveChanged);
    m_connection.connect(notificationsService, notificationsPath,
                         QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("PropertiesChanged"), this, SLOT(onSettingChanged()));
    m_connection.connect(QStringLiteral("org.xfce.Xfconf"), QStringLiteral("/org/xfce/Xfconf"),
                         QStringLiteral("org.xfce.Xfconf"), QStringLiteral("PropertyChanged"), this,
                         SLOT(onSettingChanged()));
}

std::optional<QDBusArgument> DBusNotificationCenter::appImage() {
    // The application's own icon, for daemons that show a picture beside the text.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return std::nullopt;
    const QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull())
        return std::nullopt;
    const QImage image =
        icon.pixmap(QSize(imageSize, imageSize)).toImage().convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return std::nullopt;
    QDBusArgument argument;
    argument.beginStructure();
    argument << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true
             << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           static_cast<qsizetype>(image.sizeInBytes()));
    argument.endStructure();
    return argument;
}

QString DBusNotificationCenter::applicationName() {
    return QStringLiteral("Tisko");
}

QString DBusNotificationCenter::unreachableReason() const {
    if (m_connection.isConnected())
        return {};
    QString reason = QStringLiteral("no hay bus de sesión de D-Bus");
    const QString detail = m_connection.lastError().message();
    if (!detail.isEmpty())
        reason += QStringLiteral(": ") + detail;
    return reason;
}

QDBusPendingCallWatcher*
DBusNotificationCenter::call(const QString& method, const QVariantList& arguments, int timeoutMs) {
    QDBusMessage message = QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                                          notificationsInterface, method);
    message.setArguments(arguments);
    return new QDBusPendingCallWatcher(m_connection.asyncCall(message, timeoutMs), this);
}

void DBusNotificationCenter::getAuthorizationStatus(StatusHandler handler) {
    if (!m_connection.isConnected()) {
        QMetaObject::invokeMethod(
            this, [handler] { handler(denied); }, Qt::QueuedConnection);
        return;
    }
    checkServer([this, handler](int status) {
        if (status != authorized) {
            handler(status);
            return;
        }
        m_switch.query(this, [handler](bool enabled) { handler(enabled ? authorized : denied); });
    });
}

void DBusNotificationCenter::checkServer(StatusHandler handler) {
    QDBusMessage owner = busCall(QStringLiteral("NameHasOwner"));
    owner << notificationsService; // name
    auto* watcher =
        new QDBusPendingCallWatcher(m_connection.asyncCall(owner, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, handler](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<bool> hasOwner = *finished;
                if (hasOwner.isValid() && hasOwner.value()) {
                    handler(authorized);
                    return;
                }
                // A server the bus starts on the first notification counts as present.
                auto* listing = new QDBusPendingCallWatcher(
                    m_connection.asyncCall(busCall(QStringLiteral("ListActivatableNames")),
                                           m_callTimeoutMs),
                    this);
                connect(listing, &QDBusPendingCallWatcher::finished, this,
                        [handler](QDBusPendingCallWatcher* listed) {
                            listed->deleteLater();
                            const QDBusPendingReply<QStringList> names = *listed;
                            const bool activatable =
                                names.isValid() && names.value().contains(notificationsService);
                            handler(activatable ? authorized : denied);
                        });
            });
}

void DBusNotificationCenter::getReach(ReachHandler handler) {
    if (!m_connection.isConnected()) {
        QMetaObject::invokeMethod(
            this, [handler] { handler(NotificationReach::noService); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = call(QStringLiteral("GetServerInformation"), {}, m_callTimeoutMs);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, handler](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError()) {
                    handler(NotificationReach::noService);
                    return;
                }
                m_switch.query(this, [this, handler](bool enabled) {
                    if (!enabled) {
                        handler(NotificationReach::denied);
                        return;
                    }
                    askSilenced([handler](bool silenced) {
                        handler(silenced ? NotificationReach::silenced
                                         : NotificationReach::allowed);
                    });
                });
            });
}

void DBusNotificationCenter::askSilenced(std::function<void(bool)> handler) {
    struct Tally {
        int waiting = 4;
        bool silenced = false;
        std::function<void(bool)> handler;
    };
    auto tally = std::make_shared<Tally>();
    tally->handler = std::move(handler);
    const auto heard = [tally](bool silenced) {
        tally->silenced = tally->silenced || silenced;
        if (--tally->waiting == 0)
            tally->handler(tally->silenced);
    };
    // A boolean a call answers, in a variant; anything else (no such property, no such
    // service) says nothing is held back.
    const auto askBool = [this, heard](QDBusMessage message) {
        auto* watcher =
            new QDBusPendingCallWatcher(m_connection.asyncCall(message, m_callTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [heard](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusPendingReply<QDBusVariant> reply = *finished;
                    heard(reply.isValid() && reply.value().variant().toBool());
                });
    };
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    for (const auto& [interface, property] :
         {std::pair{notificationsInterface, QStringLiteral("Inhibited")},
          {QStringLiteral("org.dunstproject.cmd0"), QStringLiteral("paused")}}) {
        QDBusMessage get = QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                                          properties, QStringLiteral("Get"));
        get << interface << property;
        askBool(get);
    }
    QDBusMessage xfconf = QDBusMessage::createMethodCall(
        QStringLiteral("org.xfce.Xfconf"), QStringLiteral("/org/xfce/Xfconf"), // service, path
        QStringLiteral("org.xfce.Xfconf"), QStringLiteral("GetProperty"));
    xfconf << QStringLiteral("xfce4-notifyd") << QStringLiteral("/do-not-disturb");
    xfconf.setAutoStartService(false);
    askBool(xfconf);
    m_switch.querySilenced(this, heard);
}

void DBusNotificationCenter::requestAuthorization(GrantHandler handler) {
    getAuthorizationStatus([handler](int status) { handler(status == authorized); });
}

void DBusNotificationCenter::add(const NotificationRequest& request, AddHandler handler) {
    const QString reason = unreachableReason();
    if (!reason.isEmpty()) {
        if (handler)
            QMetaObject::invokeMethod(
                this, [handler, reason] { handler(reason); }, Qt::QueuedConnection);
        return;
    }
    auto& queue = m_queues[request.identifier];
    queue.push_back({request, std::move(handler)});
    if (queue.size() == 1)
        sendNext(request.identifier);
}

void DBusNotificationCenter::sendNext(const QString& identifier) {
    // Ask first whether the server reads markup, so that the body shows as given.
    auto* watcher = call(QStringLiteral("GetCapabilities"), {}, m_callTimeoutMs);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QStringList> capabilities = *finished;
                m_server = finished->reply().service();
                // A server that is absent or hung would fail the warning the same way, later.
                const QDBusError::ErrorType error = capabilities.error().type();
                if (capabilities.isError() && error != QDBusError::UnknownMethod &&
                    error != QDBusError::NotSupported) {
                    finish(identifier, 0, failureReason(capabilities.error()));
                    return;
                }
                const bool markup = capabilities.isValid() &&
                                    capabilities.value().contains(QStringLiteral("body-markup"));
                notify(identifier, markup);
            });
}

void DBusNotificationCenter::notify(const QString& identifier, bool serverReadsMarkup) {
    const NotificationRequest& request = m_queues[identifier].front().request;

    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(TISKO_APP_ID));
    if (request.urgency)
        hints.insert(QStringLiteral("urgency"),
                     QVariant::fromValue(static_cast<uchar>(*request.urgency)));
    if (const std::optional<QDBusArgument> image = appImage())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(*image));
    if (request.sound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    else
        hints.insert(QStringLiteral("suppress-sound"), true);

    uint replaces = m_ids.value(identifier);
    if (replaces == 0 && identifier == m_remembered.identifier && !m_busId.isEmpty() &&
        m_remembered.bus == m_busId && m_remembered.server == m_server)
        replaces = m_remembered.id;
    QStringList actions{defaultAction, QString()};
    if (!request.button.isEmpty())
        actions << buttonAction << request.button;

    auto* watcher = call(QStringLiteral("Notify"),
                         {
                             applicationName(),                        // app_name
                             QVariant::fromValue(replaces),            // replaces_id
                             QStringLiteral(TISKO_APP_ID),             // app_icon
                             request.title,                            // summary
                             bodyFor(request.body, serverReadsMarkup), // body
                             actions,                                  // actions
                             hints,                                    // hints
                             -1,                                       // expire_timeout
                         },
                         m_callTimeoutMs);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid())
                    finish(identifier, reply.value(), {});
                else
                    finish(identifier, 0, failureReason(reply.error()));
            });
}

void DBusNotificationCenter::rememberIn(const QString& path, const QString& identifier) {
    m_remembered = {path, identifier, {}, {}, 0};
    QFile file(path);
    // Three words: the bus's id, the server's unique name and the id. Anything else is not ours.
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList words = QString::fromUtf8(file.read(200)).split(u' ');
        bool ok = false;
        const uint id = words.value(2).trimmed().toUInt(&ok);
        if (words.size() == 3 && ok && id != 0 && words[1].startsWith(u':')) {
            m_remembered.bus = words[0];
            m_remembered.server = words[1];
            m_remembered.id = id;
        }
    }
    if (!m_connection.isConnected())
        return;
    auto* watcher = new QDBusPendingCallWatcher(
        m_connection.asyncCall(busCall(QStringLiteral("GetId")), m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QString> id = *finished;
                if (id.isValid())
                    m_busId = id.value();
            });
}

QString DBusNotificationCenter::failureReason(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QStringLiteral("no hay servicio de avisos");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return QStringLiteral("el servicio de avisos no contesta");
    case QDBusError::Disconnected:
        return QStringLiteral("se cortó la conexión con el bus de sesión");
    default:
        break;
    }
    // The bus knows a server it could start, but starting it failed (GNOME Shell without gjs).
    if (error.name().startsWith(QStringLiteral("org.freedesktop.DBus.Error.Spawn.")))
        return QStringLiteral("no hay servicio de avisos (el que se arranca a petición falla)");
    return QStringLiteral("el servicio de avisos lo rechaza (") + error.name() +
           QStringLiteral(")");
}

void DBusNotificationCenter::finish(const QString& identifier, uint id, const QString& error) {
    auto& queue = m_queues[identifier];
    AddHandler handler = std::move(queue.front().handler);
    queue.pop_front();
    if (error.isEmpty()) {
        m_ids.insert(identifier, id);
        if (identifier == m_remembered.identifier && !m_busId.isEmpty()) {
            m_remembered = {m_remembered.path, identifier, m_busId, m_server, id};
            QSaveFile file(m_remembered.path);
            PrivateFiles::makeFolder(QFileInfo(m_remembered.path).absolutePath());
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QStringLiteral("%1 %2 %3\n").arg(m_busId, m_server).arg(id).toUtf8());
                file.commit();
            }
        }
    }
    if (!queue.empty())
        sendNext(identifier);
    else
        m_queues.erase(identifier);
    // Last: the handler may add the next request itself.
    if (handler)
        handler(error);
}

void DBusNotificationCenter::removeDelivered(const QString& identifier) {
    const auto found = m_ids.constFind(identifier);
    if (found == m_ids.constEnd() || !m_connection.isConnected())
        return;
    QDBusMessage message =
        QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                       notificationsInterface, QStringLiteral("CloseNotification"));
    message << QVariant::fromValue(*found); // id
    m_connection.call(message, QDBus::NoBlock);
    m_ids.erase(found);
}

void DBusNotificationCenter::onActionInvoked(uint id, const QString& actionKey) {
    if (actionKey != defaultAction && actionKey != buttonAction)
        return;
    const QString identifier = m_ids.key(id);
    if (!identifier.isEmpty())
        Q_EMIT activated(identifier);
}

void DBusNotificationCenter::onNotificationClosed(uint id, uint /*reason*/) {
    // A closed notification is gone: the next one of its identifier starts afresh. While a
    // replacement is with the server the id stays, since the server may reuse it.
    const QString identifier = m_ids.key(id);
    if (!identifier.isEmpty() && !m_queues.contains(identifier))
        m_ids.remove(identifier);
}

NotificationCenter& NotificationCenter::current() {
    static NotificationCenter* center = [] {
        auto* created = new DBusNotificationCenter(
            QDBusConnection::sessionBus(), NotificationSwitch(QStringLiteral(TISKO_APP_ID)));
        // One posture warning on the screen, also after Tisko starts again.
        created->rememberIn(QFileInfo(Log::filePath()).absolutePath() +
                                QStringLiteral("/aviso-postura"),
                            Notifier::postureIdentifier());
        // The centre answers on the main thread, whoever touches it first.
        if (auto* app = QCoreApplication::instance())
            created->moveToThread(app->thread());
        return created;
    }();
    return *center;
}

} // namespace tisko
