#pragma once

#include "app/CaptureBusClient.h"

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class HotkeyService;

// The session-bus face of the running Quillet: one method per capture kind,
// so that `quillet --capture …` and the desktop's own shortcut settings reach
// the same flows, permission guard and outputs as the hotkeys and the menu;
// and Present, which a second start of Quillet calls. Owning the bus name is
// what makes a process the running Quillet.
namespace CaptureBus {

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

} // namespace CaptureBus

class CaptureBusAdaptor : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.quillet.Quillet.Capture")

public:
    // A capture holds a screen image from its grab until its file is
    // written; a burst of bus requests beyond this many waiting or running
    // captures is refused rather than queued, so memory stays bounded.
    static constexpr int maxCapturesAtOnce = 2;

    struct Refusal
    {
        QString errorName;
        QString message;
    };

    explicit CaptureBusAdaptor(QObject *parent = nullptr);

    // Requests that arrive before the coordinator exists wait in the bus
    // connection until the event loop runs, by which time it is set.
    void setCoordinator(HotkeyService *coordinator);
    void start(CaptureMode mode, int delaySeconds);

    // Takes a request as the bus does, answering at once: nothing when it is
    // queued or joins the same request still waiting to start, else why not.
    std::optional<Refusal> request(CaptureMode mode, int delaySeconds);
    // Requests taken whose capture has not begun yet.
    qsizetype waitingCount() const { return m_waiting.size(); }

    // What Present does: bring the running Quillet's window forward.
    std::function<void()> onPresent;

public Q_SLOTS:
    void CaptureRegion(int delaySeconds);
    void CaptureScroll(int delaySeconds);
    void CaptureFullscreen(int delaySeconds);
    void CaptureWindow(int delaySeconds);

private:
    void startFromBus(CaptureMode mode, int delaySeconds);
    void startWaiting(std::pair<CaptureMode, int> request);

    QPointer<HotkeyService> m_coordinator;
    QList<std::pair<CaptureMode, int>> m_waiting;
};

// The application's own interface on the same object.
class PresentBusAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.quillet.Quillet")

public:
    explicit PresentBusAdaptor(CaptureBusAdaptor *parent);

public Q_SLOTS:
    void Present();

private:
    CaptureBusAdaptor *m_owner;
};
