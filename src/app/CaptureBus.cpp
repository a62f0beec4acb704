#include "app/CaptureBus.h"

#include "app/CaptureKinds.h"
#include "app/HotkeyService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace CaptureBus {

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
    if (!bus.registerObject(QString::fromLatin1(objectPath), &adaptor,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAdaptors)) {
        result.error = bus.lastError().message();
        return result;
    }
    // Without queueing or replacement: the first Quillet keeps the name, and
    // one that waited in the queue would take it over later without ever
    // having grabbed the keys.
    const auto reply = bus.interface()->registerService(QString::fromLatin1(serviceName),
        QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    result.owned = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (!result.owned) {
        result.error = reply.error().message();
        bus.unregisterObject(QString::fromLatin1(objectPath));
    }
    return result;
}

} // namespace CaptureBus

CaptureBusAdaptor::CaptureBusAdaptor(QObject *parent)
    : QObject(parent)
{
    new PresentBusAdaptor(this);
}

void CaptureBusAdaptor::setCoordinator(HotkeyService *coordinator)
{
    m_coordinator = coordinator;
}

void CaptureBusAdaptor::start(CaptureMode mode, int delaySeconds)
{
    if (!m_coordinator)
        return;
    // A countdown holds no image, and a newer one replaces it.
    if (delaySeconds > 0)
        m_coordinator->startDelayedCapture(delaySeconds, mode);
    else
        m_coordinator->start(mode);
}

std::optional<CaptureBusAdaptor::Refusal> CaptureBusAdaptor::request(CaptureMode mode, int delaySeconds)
{
    if (delaySeconds < 0 || delaySeconds > maxCaptureDelaySeconds) {
        return Refusal{QLatin1String(CaptureBus::invalidArgsError),
            QStringLiteral("The delay must be a whole number of seconds from 0 to %1, not %2.")
                .arg(maxCaptureDelaySeconds)
                .arg(delaySeconds)};
    }
    const std::pair request{mode, delaySeconds};
    // The same capture asked for again before it began: both callers get it.
    if (m_waiting.contains(request))
        return std::nullopt;
    const int running = m_coordinator ? m_coordinator->capturesInFlight() : 0;
    if (m_waiting.size() + running >= maxCapturesAtOnce) {
        return Refusal{QLatin1String(CaptureBus::busyError),
            QStringLiteral("Quillet is still saving earlier captures; try again in a moment.")};
    }
    m_waiting.append(request);
    // Started from the event loop, after the caller has its answer: a
    // capture may open a modal alert, and the caller must not wait for the
    // user to dismiss it.
    QMetaObject::invokeMethod(
        this, [this, request] { startWaiting(request); }, Qt::QueuedConnection);
    return std::nullopt;
}

void CaptureBusAdaptor::startWaiting(std::pair<CaptureMode, int> request)
{
    m_waiting.removeOne(request);
    start(request.first, request.second);
}

void CaptureBusAdaptor::startFromBus(CaptureMode mode, int delaySeconds)
{
    if (const std::optional<Refusal> refusal = request(mode, delaySeconds))
        sendErrorReply(refusal->errorName, refusal->message);
}

void CaptureBusAdaptor::CaptureRegion(int delaySeconds)
{
    startFromBus(CaptureMode::region, delaySeconds);
}
void CaptureBusAdaptor::CaptureScroll(int delaySeconds)
{
    startFromBus(CaptureMode::scroll, delaySeconds);
}
void CaptureBusAdaptor::CaptureFullscreen(int delaySeconds)
{
    startFromBus(CaptureMode::fullscreen, delaySeconds);
}
void CaptureBusAdaptor::CaptureWindow(int delaySeconds)
{
    startFromBus(CaptureMode::window, delaySeconds);
}

PresentBusAdaptor::PresentBusAdaptor(CaptureBusAdaptor *parent)
    : QDBusAbstractAdaptor(parent)
    , m_owner(parent)
{
}

void PresentBusAdaptor::Present()
{
    // Shown from the event loop once the caller has its answer, so that a
    // second start ends at once.
    QMetaObject::invokeMethod(
        m_owner,
        [owner = m_owner] {
            if (owner->onPresent)
                owner->onPresent();
        },
        Qt::QueuedConnection);
}
