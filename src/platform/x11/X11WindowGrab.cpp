#include "platform/x11/X11WindowGrab.h"

#include "platform/Error.h"
#include "platform/x11/X11Windows.h"

#include <xcb/composite.h>
#include <xcb/damage.h>

#include <chrono>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;

// A client that has not repainted after this long is read as it stands.
constexpr auto RepaintDeadline = std::chrono::milliseconds(1500);
// Once damage stops arriving for this long, the repaint is taken as done.
constexpr auto RepaintQuiet = std::chrono::milliseconds(60);

QString windowText(xcb_window_t w)
{
    return QStringLiteral("0x") + QString::number(w, 16);
}

bool compositingManagerRunning(const Xcb::Connection &connection)
{
    xcb_connection_t *c = connection.get();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(connection.screenNumber());
    const xcb_atom_t selection = Xcb::atom(c, name.constData());
    Xcb::Reply<xcb_get_selection_owner_reply_t> owner{
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr)};
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void requireExtensions(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *composite = xcb_get_extension_data(c, &xcb_composite_id);
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!composite || !composite->present || !damage || !damage->present)
        throw Error(QStringLiteral("Could not read the window: the X server lacks Composite or Damage"));
    Xcb::Reply<xcb_composite_query_version_reply_t> cv{
        xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr)};
    Xcb::Reply<xcb_damage_query_version_reply_t> dv{
        xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr)};
    if (!cv || !dv)
        throw Error(QStringLiteral("Could not read the window: Composite or Damage refused"));
}

void exposeTree(xcb_connection_t *c, xcb_window_t w)
{
    xcb_clear_area(c, true, w, 0, 0, 0, 0);
    Xcb::Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr)};
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        exposeTree(c, children[i]);
}

// Without a compositing manager nobody keeps an off-screen copy of the frame.
// We redirect it for the duration of the grab, ask every window in it to
// repaint, and wait until the repaint has landed in the new pixmap.
class TemporaryRedirect
{
public:
    TemporaryRedirect(const Xcb::Connection &connection, xcb_window_t frame)
        : m_c(connection.get())
        , m_frame(frame)
    {
        Xcb::check(m_c, xcb_composite_redirect_window_checked(m_c, frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC),
            QStringLiteral("Could not redirect window ") + windowText(frame));
        m_damage = xcb_generate_id(m_c);
        xcb_damage_create(m_c, m_damage, frame, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        exposeTree(m_c, frame);
        xcb_flush(m_c);
        waitForRepaint();
    }

    ~TemporaryRedirect()
    {
        xcb_damage_destroy(m_c, m_damage);
        xcb_composite_unredirect_window(m_c, m_frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(m_c);
    }

    TemporaryRedirect(const TemporaryRedirect &) = delete;
    TemporaryRedirect &operator=(const TemporaryRedirect &) = delete;

private:
    void waitForRepaint();

    xcb_connection_t *m_c;
    xcb_window_t m_frame;
    xcb_damage_damage_t m_damage = 0;
};

void TemporaryRedirect::waitForRepaint()
{
    const uint8_t damageNotify = xcb_get_extension_data(m_c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
    const auto deadline = Clock::now() + RepaintDeadline;
    std::optional<Clock::time_point> lastDamage;
    while (Clock::now() < deadline) {
        while (Xcb::Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_c)}) {
            if ((event->response_type & 0x7f) == damageNotify)
                lastDamage = Clock::now();
        }
        if (lastDamage && Clock::now() - *lastDamage >= RepaintQuiet)
            return;
        if (xcb_connection_has_error(m_c))
            return;
        pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        poll(&fd, 1, 10);
    }
}

// Nothing when the frame has no off-screen pixmap (BadMatch): nobody
// redirects it.
std::optional<QImage> readPixmap(const Xcb::Connection &connection, xcb_window_t frame, const QRect &crop)
{
    xcb_connection_t *c = connection.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (Xcb::ErrorPtr error{
            xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, frame, pixmap))}) {
        if (error->error_code == XCB_MATCH)
            return std::nullopt;
        throw Error(QStringLiteral("Could not read window ") + windowText(frame) + QStringLiteral(": ")
            + Xcb::errorText(error.get()));
    }
    xcb_generic_error_t *rawError = nullptr;
    Xcb::Reply<xcb_get_image_reply_t> reply{xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, int16_t(crop.x()), int16_t(crop.y()),
            uint16_t(crop.width()), uint16_t(crop.height()), ~0u),
        &rawError)};
    Xcb::ErrorPtr error{rawError};
    xcb_free_pixmap(c, pixmap);
    if (!reply)
        throw Error(QStringLiteral("Could not read window ") + windowText(frame) + QStringLiteral(": ")
            + Xcb::errorText(error.get()));
    return Xcb::imageFromZPixmap(
        c, xcb_get_image_data(reply.get()), crop.width(), crop.height(), reply->depth);
}

} // namespace

QImage grabClientWindow(const Xcb::Connection &connection, xcb_window_t client)
{
    xcb_connection_t *c = connection.get();
    requireExtensions(c);
    const std::optional<xcb_window_t> frame = topLevelAncestor(connection, client);
    const std::optional<QRect> bounds = clientBounds(connection, client);
    const std::optional<QRect> frameBounds = frame ? outerGeometry(connection, *frame) : std::nullopt;
    if (!frame || !bounds || !frameBounds)
        throw Error(
            QStringLiteral("Could not read window ") + windowText(client) + QStringLiteral(": BadWindow"));
    // The frame's pixmap starts at the outer corner of its border; keep only
    // the part the user sees as the window.
    const QRect crop
        = bounds->translated(-frameBounds->topLeft()).intersected(QRect(QPoint(0, 0), frameBounds->size()));
    if (crop.isEmpty())
        throw Error(
            QStringLiteral("Could not read window ") + windowText(client) + QStringLiteral(": empty"));
    // A compositing manager keeps the frame's pixmap current, unless it has
    // unredirected the window (as they do for full-screen windows, for
    // speed); such a frame is redirected for the grab as without one.
    if (compositingManagerRunning(connection)) {
        if (std::optional<QImage> image = readPixmap(connection, *frame, crop))
            return *image;
    }
    const TemporaryRedirect redirect(connection, *frame);
    if (std::optional<QImage> image = readPixmap(connection, *frame, crop))
        return *image;
    throw Error(QStringLiteral("Could not read window ") + windowText(*frame) + QStringLiteral(": BadMatch"));
}
