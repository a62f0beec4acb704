#include "app/CaptureBus.h"

#include "app/HotkeyService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {

// Long enough for a busy desktop, short enough that a desktop shortcut
// never seems to hang.
constexpr int busTimeoutMs = 3000;

} // namespace

namespace CaptureBus {

QString methodName(CaptureMode mode)
{
    switch (mode) {
    case CaptureMode::region:
        return QStringLiteral("CaptureRegion");
    case CaptureMode::scroll:
        return QStringLiteral("CaptureScroll");
    case CaptureMode::fullscreen:
        return QStringLiteral("CaptureFullscreen");
    case CaptureMode::window:
        return QStringLiteral("CaptureWindow");
    }
    return {};
}

Claim claim(QObject &adaptor)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    Claim result;
    result.connected = bus.isConnected();
    if (!result.connected) {
        result.error = bus.lastError().message();
        return result;
    }
    bus.interface()->setTimeout(busTimeoutMs);
    if (!bus.registerObject(QString::fromLatin1(objectPath), &adaptor, QDBusConnection::ExportAllSlots)) {
        result.error = bus.lastError().message();
        return result;
    }
    // Without queueing or replacement: the first Quillet keeps the name.
    const auto reply = bus.interface()->registerService(QString::fromLatin1(serviceName),
        QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    result.owned = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (!result.owned) {
        result.error = reply.error().message();
        bus.unregisterObject(QString::fromLatin1(objectPath));
    }
    return result;
}

QString forward(CaptureMode mode, int delaySeconds)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName),
        QString::fromLatin1(objectPath), QString::fromLatin1(interfaceName), methodName(mode));
    call << delaySeconds;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, busTimeoutMs);
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}

} // namespace CaptureBus

CaptureBusAdaptor::CaptureBusAdaptor(QObject *parent)
    : QObject(parent)
{
}

void CaptureBusAdaptor::setCoordinator(HotkeyService *coordinator)
{
    m_coordinator = coordinator;
}

void CaptureBusAdaptor::start(CaptureMode mode, int delaySeconds)
{
    if (!m_coordinator)
        return;
    if (delaySeconds > 0) {
        m_coordinator->startDelayedCapture(delaySeconds, mode);
        return;
    }
    switch (mode) {
    case CaptureMode::region:
        m_coordinator->startRegionCapture();
        break;
    case CaptureMode::scroll:
        m_coordinator->startScrollSelection();
        break;
    case CaptureMode::fullscreen:
        m_coordinator->startFullscreenCapture();
        break;
    case CaptureMode::window:
        m_coordinator->startWindowCapture();
        break;
    }
}

void CaptureBusAdaptor::startFromBus(CaptureMode mode, int delaySeconds)
{
    if (delaySeconds < 0) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("The delay must be 0 or more seconds."));
        return;
    }
    // Answer the caller first: a capture may open a modal alert, and the
    // caller must not wait for the user to dismiss it.
    QMetaObject::invokeMethod(this, [this, mode, delaySeconds] { start(mode, delaySeconds); }, Qt::QueuedConnection);
}

void CaptureBusAdaptor::CaptureRegion(int delaySeconds) { startFromBus(CaptureMode::region, delaySeconds); }
void CaptureBusAdaptor::CaptureScroll(int delaySeconds) { startFromBus(CaptureMode::scroll, delaySeconds); }
void CaptureBusAdaptor::CaptureFullscreen(int delaySeconds) { startFromBus(CaptureMode::fullscreen, delaySeconds); }
void CaptureBusAdaptor::CaptureWindow(int delaySeconds) { startFromBus(CaptureMode::window, delaySeconds); }
