#pragma once

#include "platform/ScreenGrabber.h"

#include <memory>
#include <mutex>
#include <vector>

class X11GrabSession;

// Screen pixels from the X server. Each call borrows a session (its own
// connection and shared-memory segment) that no other thread uses meanwhile,
// so calls from several workers run side by side; idle sessions are kept for
// the next call.
class X11ScreenGrabber final : public ScreenGrabber
{
public:
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    QList<ShareableDisplay> displays() override;
    QList<ShareableWindow> windows() override;
    QImage grabArea(const QRect &area) override;
    QImage grabWindow(quint32 windowID) override;

private:
    class Lease;

    std::unique_ptr<X11GrabSession> takeSession();
    void giveBack(std::unique_ptr<X11GrabSession> session);

    std::mutex m_mutex;
    std::vector<std::unique_ptr<X11GrabSession>> m_idle;
};
