#pragma once

#include "platform/x11/XcbSupport.h"

#include <QImage>
#include <QRect>

#include <memory>

// One worker's use of the X server: a connection of its own and, where the
// server shares memory with us, a MIT-SHM segment that stays attached so
// that repeated grabs (scroll capture, benchmarks) skip the setup.
class X11GrabSession
{
public:
    X11GrabSession();
    ~X11GrabSession();
    X11GrabSession(const X11GrabSession &) = delete;
    X11GrabSession &operator=(const X11GrabSession &) = delete;

    const Xcb::Connection &connection() const { return *m_connection; }
    bool isUsable() const;

    // The root window's pixels in `area`, which must lie inside the root.
    QImage grabArea(const QRect &area);

    // Hands the shared segment's pages back to the system (ours and the X
    // server's: it is one memory) while keeping it attached; the next grab
    // gets fresh pages without setting the segment up again.
    void releasePages();
    // Sets up a segment the size of the whole screen and faults its pages
    // in, so that the next grab of up to that size finds them ready.
    void prefaultScreen();

private:
    bool ensureSegment(size_t size);
    void releaseSegment();
    QImage grabWithShm(const QRect &area);
    QImage grabWithGetImage(const QRect &area);

    std::unique_ptr<Xcb::Connection> m_connection;
    bool m_shmAvailable = false;
    int m_shmId = -1;
    void *m_shmAddress = nullptr;
    size_t m_shmSize = 0;
    uint32_t m_shmSeg = 0;
};
