// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/CameraPortal.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUuid>
#include <QVariantMap>

#include <unistd.h>

namespace tisko {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString cameraInterface = QStringLiteral("org.freedesktop.portal.Camera");

// Catches the portal's Response signals, whichever request they answer.
class Responses : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    QEventLoop loop;
    QMap<QString, uint> answers; // request path -> response

public Q_SLOTS:
    void response(uint code, const QVariantMap&) {
        answers[message().path()] = code;
        loop.quit();
    }
};

} // namespace

bool CameraPortal::inSandbox(const QString& flatpakInfo) {
    return QFileInfo::exists(flatpakInfo);
}

CameraPortal::Answer CameraPortal::openRemote(int* fd, QString* error,
                                              std::chrono::milliseconds timeout) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto fail = [error](Answer answer, const QString& why) {
        *error = QStringLiteral("PipeWire: ") + why;
        return answer;
    };
    if (!bus.isConnected())
        return fail(Answer::unavailable, QStringLiteral("no hay bus de sesión para el portal"));
    // Listening before asking: the answer may come before the call returns.
    Responses responses;
    bus.connect(service, QString(), QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), &responses, SLOT(response(uint, QVariantMap)));
    QDBusMessage ask = QDBusMessage::createMethodCall(service, path, cameraInterface,
                                                      QStringLiteral("AccessCamera"));
    const QString token = QStringLiteral("tisko") + QUuid::createUuid().toString(QUuid::Id128);
    ask << QVariantMap{{QStringLiteral("handle_token"), token}};
    const QDBusMessage asked = bus.call(ask, QDBus::Block, static_cast<int>(timeout.count()));
    if (asked.type() != QDBusMessage::ReplyMessage || asked.arguments().isEmpty())
        return fail(Answer::unavailable,
                    QStringLiteral("el portal de la cámara no responde: ") + asked.errorMessage());
    const QString request = asked.arguments().constFirst().value<QDBusObjectPath>().path();
    const QDeadlineTimer deadline(timeout);
    while (!responses.answers.contains(request) && !deadline.hasExpired()) {
        QTimer::singleShot(std::chrono::milliseconds(deadline.remainingTime()), &responses.loop,
                           &QEventLoop::quit);
        responses.loop.exec();
    }
    bus.disconnect(service, QString(), QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), &responses, SLOT(response(uint, QVariantMap)));
    if (!responses.answers.contains(request))
        return fail(Answer::unavailable, QStringLiteral("el portal de la cámara no contestó"));
    if (responses.answers.value(request) != 0)
        return fail(Answer::denied, QStringLiteral("el portal ha denegado el acceso a la cámara"));

    QDBusMessage open = QDBusMessage::createMethodCall(service, path, cameraInterface,
                                                       QStringLiteral("OpenPipeWireRemote"));
    open << QVariantMap{};
    const QDBusMessage opened = bus.call(open, QDBus::Block, static_cast<int>(timeout.count()));
    const QDBusUnixFileDescriptor remote =
        opened.arguments().isEmpty()
            ? QDBusUnixFileDescriptor()
            : opened.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    if (opened.type() != QDBusMessage::ReplyMessage || !remote.isValid())
        return fail(Answer::unavailable,
                    QStringLiteral("el portal no dio conexión con PipeWire: ") +
                        opened.errorMessage());
    *fd = ::dup(remote.fileDescriptor());
    return *fd >= 0 ? Answer::granted
                    : fail(Answer::unavailable, QStringLiteral("no se pudo duplicar la conexión"));
}

} // namespace tisko

#include "CameraPortal.moc"
