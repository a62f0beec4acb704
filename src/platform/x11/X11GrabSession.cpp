#include "platform/x11/X11GrabSession.h"

#include "platform/Error.h"

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>

// Below this many pixels a plain GetImage reply is as fast as shared memory.
static constexpr qint64 ShmMinimumPixels = 128 * 128;

X11GrabSession::X11GrabSession()
    : m_connection(Xcb::Connection::open())
{
    xcb_connection_t *c = m_connection->get();
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_shm_id);
    if (ext && ext->present) {
        Xcb::Reply<xcb_shm_query_version_reply_t> version{
            xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr)};
        m_shmAvailable = bool(version);
    }
}

X11GrabSession::~X11GrabSession()
{
    releaseSegment();
}

bool X11GrabSession::isUsable() const
{
    return !xcb_connection_has_error(m_connection->get());
}

QImage X11GrabSession::grabArea(const QRect &area)
{
    const xcb_screen_t *screen = m_connection->screen();
    if (area.isEmpty() || !QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels).contains(area))
        throw Error(QStringLiteral("Could not read the screen: area %1,%2 %3x%4 is outside it")
                        .arg(area.x())
                        .arg(area.y())
                        .arg(area.width())
                        .arg(area.height()));
    if (m_shmAvailable && qint64(area.width()) * area.height() >= ShmMinimumPixels) {
        QImage image = grabWithShm(area);
        if (!image.isNull())
            return image;
    }
    return grabWithGetImage(area);
}

QImage X11GrabSession::grabWithGetImage(const QRect &area)
{
    xcb_connection_t *c = m_connection->get();
    xcb_generic_error_t *rawError = nullptr;
    Xcb::Reply<xcb_get_image_reply_t> reply{xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_connection->root(), int16_t(area.x()),
            int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
        &rawError)};
    Xcb::ErrorPtr error{rawError};
    if (!reply)
        throw Error(QStringLiteral("Could not read the screen: ") + Xcb::errorText(error.get()));
    return Xcb::imageFromZPixmap(
        c, xcb_get_image_data(reply.get()), area.width(), area.height(), reply->depth);
}

// A null image means shared memory did not work out; the caller falls back.
QImage X11GrabSession::grabWithShm(const QRect &area)
{
    xcb_connection_t *c = m_connection->get();
    const size_t needed = size_t(area.width()) * size_t(area.height()) * 4;
    if (!ensureSegment(needed))
        return {};
    Xcb::Reply<xcb_shm_get_image_reply_t> reply{xcb_shm_get_image_reply(c,
        xcb_shm_get_image(c, m_connection->root(), int16_t(area.x()), int16_t(area.y()),
            uint16_t(area.width()), uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_shmSeg, 0),
        nullptr)};
    if (!reply)
        return {};
    return Xcb::imageFromZPixmap(
        c, static_cast<const uint8_t *>(m_shmAddress), area.width(), area.height(), reply->depth);
}

bool X11GrabSession::ensureSegment(size_t size)
{
    if (m_shmAddress && m_shmSize >= size)
        return true;
    releaseSegment();
    m_shmId = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (m_shmId < 0) {
        m_shmAvailable = false;
        return false;
    }
    m_shmAddress = shmat(m_shmId, nullptr, 0);
    xcb_connection_t *c = m_connection->get();
    m_shmSeg = xcb_generate_id(c);
    Xcb::ErrorPtr error{m_shmAddress == reinterpret_cast<void *>(-1)
            ? nullptr
            : xcb_request_check(c, xcb_shm_attach_checked(c, m_shmSeg, uint32_t(m_shmId), false))};
    // Marked for removal at once: the kernel frees it when both sides detach,
    // even if this process dies.
    shmctl(m_shmId, IPC_RMID, nullptr);
    if (m_shmAddress == reinterpret_cast<void *>(-1) || error) {
        // A remote server cannot share our memory; plain requests work everywhere.
        if (m_shmAddress != reinterpret_cast<void *>(-1))
            shmdt(m_shmAddress);
        m_shmAddress = nullptr;
        m_shmId = -1;
        m_shmAvailable = false;
        return false;
    }
    m_shmSize = size;
    return true;
}

void X11GrabSession::releasePages()
{
    if (m_shmAddress)
        madvise(m_shmAddress, m_shmSize, MADV_REMOVE);
}

void X11GrabSession::prefaultScreen()
{
    const xcb_screen_t *screen = m_connection->screen();
    const size_t whole = size_t(screen->width_in_pixels) * size_t(screen->height_in_pixels) * 4;
    if (!m_shmAvailable || !ensureSegment(whole))
        return;
    // A throwaway grab of the whole screen: the server faults in its side of
    // the segment, which would otherwise cost the next grab as much again.
    xcb_connection_t *c = m_connection->get();
    Xcb::Reply<xcb_shm_get_image_reply_t> reply{xcb_shm_get_image_reply(c,
        xcb_shm_get_image(c, m_connection->root(), 0, 0, screen->width_in_pixels, screen->height_in_pixels, ~0u,
            XCB_IMAGE_FORMAT_Z_PIXMAP, m_shmSeg, 0),
        nullptr)};
    // Then ours: the pages are there now, only our page tables lack them.
    // Kernels without this leave them to minor faults during the grab.
#if defined(MADV_POPULATE_WRITE)
    madvise(m_shmAddress, m_shmSize, MADV_POPULATE_WRITE);
#endif
}

void X11GrabSession::releaseSegment()
{
    if (!m_shmAddress)
        return;
    xcb_shm_detach(m_connection->get(), m_shmSeg);
    xcb_flush(m_connection->get());
    shmdt(m_shmAddress);
    m_shmAddress = nullptr;
    m_shmId = -1;
    m_shmSize = 0;
}
