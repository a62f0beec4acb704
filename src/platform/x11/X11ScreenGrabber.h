#pragma once

#include "platform/ScreenGrabber.h"

#include <QTimer>

#include <memory>
#include <mutex>
#include <vector>

class X11GrabSession;

// Screen pixels from the X server. Each call borrows a session (its own
// connection and shared-memory segment) that no other thread uses meanwhile,
// so calls from several workers run side by side. Idle sessions serve the
// next call; once no grab came for a while, their segments (the size of the
// screen each) give their pages back. Create on the thread that runs the
// event loop.
class X11ScreenGrabber final : public ScreenGrabber
{
public:
    static constexpr int ReleaseIdlePagesAfterMs = 2000;

    // What the grabber does once no grab came for ReleaseIdlePagesAfterMs.
    void releaseIdlePages();

    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    QList<ShareableDisplay> displays() override;
    QList<ShareableWindow> windows() override;
    QImage grabArea(const QRect &area) override;
    QImage grabWindow(quint32 windowID) override;
    // Faults in the shared pages of the session the next grab will use.
    void prepare() override;

private:
    class Lease;

    std::unique_ptr<X11GrabSession> takeSession();
    void giveBack(std::unique_ptr<X11GrabSession> session);

    std::mutex m_mutex;
    std::vector<std::unique_ptr<X11GrabSession>> m_idle;
    QTimer m_releaseIdle;
};
