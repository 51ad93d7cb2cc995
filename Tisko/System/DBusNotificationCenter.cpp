// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DBusNotificationCenter.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

namespace tisko {

namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString notificationsInterface = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");
const QString buttonAction = QStringLiteral("button");

constexpr int callTimeoutMs = 5000;
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
                                               NotificationSwitch appSwitch, QObject* parent)
    : NotificationCenter(parent)
    , m_connection(std::move(connection))
    , m_switch(std::move(appSwitch)) {
    if (!m_connection.isConnected())
        return;
    m_connection.connect(notificationsService, notificationsPath, notificationsInterface, QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(notificationsService, notificationsPath, notificationsInterface, QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint)));
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
    QDBusMessage message = QDBusMessage::createMethodCall(notificationsService, notificationsPath, notificationsInterface, method);
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
        new QDBusPendingCallWatcher(m_connection.asyncCall(owner, callTimeoutMs), this);
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
                                           callTimeoutMs),
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
    auto* watcher = call(QStringLiteral("GetCapabilities"), {}, callTimeoutMs);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QStringList> capabilities = *finished;
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

    QStringList actions{defaultAction, QString()};
    if (!request.button.isEmpty())
        actions << buttonAction << request.button;

    auto* watcher = call(QStringLiteral("Notify"),
                         {
                             applicationName(),                            // app_name
                             QVariant::fromValue(m_ids.value(identifier)), // replaces_id
                             QStringLiteral(TISKO_APP_ID),                 // app_icon
                             request.title,                                // summary
                             bodyFor(request.body, serverReadsMarkup),     // body
                             actions,                                      // actions
                             hints,                                        // hints
                             -1,                                           // expire_timeout
                         },
                         callTimeoutMs);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid())
                    finish(identifier, reply.value(), {});
                else
                    finish(identifier, 0, reply.error().message());
            });
}

void DBusNotificationCenter::finish(const QString& identifier, uint id, const QString& error) {
    auto& queue = m_queues[identifier];
    AddHandler handler = std::move(queue.front().handler);
    queue.pop_front();
    if (error.isEmpty())
        m_ids.insert(identifier, id);
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
    QDBusMessage message = QDBusMessage::createMethodCall(notificationsService, notificationsPath, notificationsInterface,
                                                          QStringLiteral("CloseNotification"));
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
        // The centre answers on the main thread, whoever touches it first.
        if (auto* app = QCoreApplication::instance())
            created->moveToThread(app->thread());
        return created;
    }();
    return *center;
}

} // namespace tisko
