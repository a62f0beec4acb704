#include "app/CaptureBusClient.h"

#include "app/CaptureKinds.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

CaptureBus::Handoff send(QDBusMessage call)
{
    using Result = CaptureBus::Handoff::Result;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {Result::unreachable, bus.lastError().message()};
    // Nobody holding the name is the answer we act on, not a reason to
    // have the bus start something.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, CaptureBus::busTimeoutMs);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return {Result::delivered, {}};
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
        return {Result::noneRunning, {}};
    return {Result::refused, reply.errorMessage()};
}

} // namespace

namespace CaptureBus {

QString methodName(CaptureMode mode)
{
    return QLatin1String(captureKind(mode).busMethod);
}

Handoff forwardCapture(CaptureMode mode, int delaySeconds)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName),
        QString::fromLatin1(objectPath), QString::fromLatin1(interfaceName), methodName(mode));
    call << delaySeconds;
    return send(call);
}

Handoff forwardPresent()
{
    return send(
        QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
            QString::fromLatin1(applicationInterfaceName), QStringLiteral("Present")));
}

} // namespace CaptureBus
