#pragma once

#include "app/CaptureMode.h"

#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>

class HotkeyService;

// The session-bus face of the running Quillet: one method per capture kind,
// so that `quillet --capture …` and the desktop's own shortcut settings reach
// the same flows, permission guard and outputs as the hotkeys and the menu.
namespace CaptureBus {

inline constexpr char serviceName[] = "io.quillet.Quillet";
inline constexpr char objectPath[] = "/io/quillet/Quillet";
inline constexpr char interfaceName[] = "io.quillet.Quillet.Capture";

// The bus method that starts a capture of this kind.
QString methodName(CaptureMode mode);

struct Claim
{
    bool connected = false;
    // This process now owns the well-known name: it is the running Quillet.
    bool owned = false;
    QString error;
};

// Publishes `adaptor` and asks for the well-known name. Owning it fails
// quietly when another Quillet already runs, or when there is no bus.
Claim claim(QObject &adaptor);

// Asks the Quillet that owns the name to start a capture; an empty string on
// success, else the reason, after a few seconds at most.
QString forward(CaptureMode mode, int delaySeconds);

} // namespace CaptureBus

class CaptureBusAdaptor : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.quillet.Quillet.Capture")

public:
    explicit CaptureBusAdaptor(QObject *parent = nullptr);

    // Requests that arrive before the coordinator exists wait in the bus
    // connection until the event loop runs, by which time it is set.
    void setCoordinator(HotkeyService *coordinator);
    void start(CaptureMode mode, int delaySeconds);

public Q_SLOTS:
    void CaptureRegion(int delaySeconds);
    void CaptureScroll(int delaySeconds);
    void CaptureFullscreen(int delaySeconds);
    void CaptureWindow(int delaySeconds);

private:
    void startFromBus(CaptureMode mode, int delaySeconds);

    QPointer<HotkeyService> m_coordinator;
};
