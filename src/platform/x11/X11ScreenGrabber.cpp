#include "platform/x11/X11ScreenGrabber.h"

#include "platform/x11/X11GrabSession.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11WindowGrab.h"
#include "platform/x11/X11Windows.h"

// Enough for the capture pool's workers; more sessions are closed after use.
static constexpr size_t MaxIdleSessions = 2;

class X11ScreenGrabber::Lease
{
public:
    explicit Lease(X11ScreenGrabber &owner)
        : m_owner(owner)
        , m_session(owner.takeSession())
    {
    }
    ~Lease() { m_owner.giveBack(std::move(m_session)); }
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;

    X11GrabSession &operator*() const { return *m_session; }
    X11GrabSession *operator->() const { return m_session.get(); }

private:
    X11ScreenGrabber &m_owner;
    std::unique_ptr<X11GrabSession> m_session;
};

X11ScreenGrabber::X11ScreenGrabber()
{
    m_releaseIdle.setSingleShot(true);
    m_releaseIdle.setInterval(ReleaseIdlePagesAfterMs);
    m_releaseIdle.callOnTimeout([this] { releaseIdlePages(); });
}

void X11ScreenGrabber::releaseIdlePages()
{
    std::lock_guard lock(m_mutex);
    for (const auto &session : m_idle)
        session->releasePages();
}

X11ScreenGrabber::~X11ScreenGrabber() = default;

std::unique_ptr<X11GrabSession> X11ScreenGrabber::takeSession()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<X11GrabSession> session = std::move(m_idle.back());
            m_idle.pop_back();
            return session;
        }
    }
    return std::make_unique<X11GrabSession>();
}

void X11ScreenGrabber::giveBack(std::unique_ptr<X11GrabSession> session)
{
    // A session whose connection broke (server reset) is not worth keeping.
    if (!session || !session->isUsable())
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_idle.size() < MaxIdleSessions)
            m_idle.push_back(std::move(session));
    }
    // Grabs run on workers; the timer belongs to the event loop's thread.
    QMetaObject::invokeMethod(&m_releaseIdle, qOverload<>(&QTimer::start));
}

void X11ScreenGrabber::prepare()
{
    {
        // Under the lock: a grab that comes meanwhile waits for these pages
        // rather than setting up a session of its own from nothing.
        std::lock_guard lock(m_mutex);
        if (m_idle.empty())
            m_idle.push_back(std::make_unique<X11GrabSession>());
        m_idle.back()->prefaultScreen();
    }
    // Prepared pages that no capture came for go after the same quiet spell.
    QMetaObject::invokeMethod(&m_releaseIdle, qOverload<>(&QTimer::start));
}

QList<ShareableDisplay> X11ScreenGrabber::displays()
{
    Lease session(*this);
    QList<ShareableDisplay> result;
    for (const X11Monitor &monitor : queryMonitors(session->connection().get(), session->connection().root()))
        result.append({monitor.name, monitor.geometry});
    return result;
}

QList<ShareableWindow> X11ScreenGrabber::windows()
{
    Lease session(*this);
    QList<ShareableWindow> result;
    for (const X11ClientWindow &window : clientWindowsFrontToBack(session->connection())) {
        if (window.layer != X11Layer::desktop)
            result.append({window.id, window.bounds});
    }
    return result;
}

QImage X11ScreenGrabber::grabArea(const QRect &area)
{
    Lease session(*this);
    return session->grabArea(area);
}

QImage X11ScreenGrabber::grabWindow(quint32 windowID)
{
    Lease session(*this);
    return grabClientWindow(session->connection(), windowID);
}
