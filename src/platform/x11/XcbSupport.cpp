#include "platform/x11/XcbSupport.h"

#include "platform/Error.h"

#include <cstring>

namespace Xcb {

std::unique_ptr<Connection> Connection::open()
{
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (const int failure = xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        throw Error(QStringLiteral("Could not connect to the X display %1 (xcb error %2)")
                        .arg(QString::fromLocal8Bit(qgetenv("DISPLAY")))
                        .arg(failure));
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0) {
        xcb_disconnect(c);
        throw Error(QStringLiteral("Could not find X screen %1").arg(screenNumber));
    }
    return std::unique_ptr<Connection>(new Connection(c, it.data, screenNumber));
}

Connection::Connection(xcb_connection_t *connection, xcb_screen_t *screen, int screenNumber)
    : m_connection(connection)
    , m_screen(screen)
    , m_screenNumber(screenNumber)
{
}

Connection::~Connection()
{
    xcb_disconnect(m_connection);
}

QString errorText(const xcb_generic_error_t *error)
{
    static const char *const names[] = {"Success", "BadRequest", "BadValue", "BadWindow", "BadPixmap",
        "BadAtom", "BadCursor", "BadFont", "BadMatch", "BadDrawable", "BadAccess", "BadAlloc", "BadColor",
        "BadGC", "BadIDChoice", "BadName", "BadLength", "BadImplementation"};
    if (!error)
        return QStringLiteral("connection lost");
    if (error->error_code < std::size(names))
        return QString::fromLatin1(names[error->error_code]);
    return QStringLiteral("X error %1").arg(error->error_code);
}

void check(xcb_connection_t *c, xcb_void_cookie_t cookie, const QString &what)
{
    if (ErrorPtr error{xcb_request_check(c, cookie)})
        throw Error(what + QStringLiteral(": ") + errorText(error.get()));
}

xcb_atom_t atom(xcb_connection_t *c, const char *name, bool onlyIfExists)
{
    Reply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        c, xcb_intern_atom(c, onlyIfExists, uint16_t(std::strlen(name)), name), nullptr)};
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString atomName(xcb_connection_t *c, xcb_atom_t atom)
{
    Reply<xcb_get_atom_name_reply_t> reply{xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr)};
    if (!reply)
        return {};
    return QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

std::optional<std::vector<uint32_t>> property32(
    xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    Reply<xcb_get_property_reply_t> reply{
        xcb_get_property_reply(c, xcb_get_property(c, false, window, property, type, 0, 4096), nullptr)};
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32)
        return std::nullopt;
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

static std::optional<uint8_t> bitsPerPixel(xcb_connection_t *c, uint8_t depth)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    }
    return std::nullopt;
}

std::optional<QImage::Format> imageFormat(xcb_connection_t *c, uint8_t depth)
{
    // QImage's 32- and 16-bit formats are in host order, as is the server's
    // image data on a local little-endian connection.
    if (xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return std::nullopt;
    const std::optional<uint8_t> bpp = bitsPerPixel(c, depth);
    if (depth == 32 && bpp == 32)
        return QImage::Format_ARGB32_Premultiplied;
    if (depth == 24 && bpp == 32)
        return QImage::Format_RGB32;
    if (depth == 16 && bpp == 16)
        return QImage::Format_RGB16;
    return std::nullopt;
}

QImage imageFromZPixmap(xcb_connection_t *c, const uint8_t *data, int width, int height, uint8_t depth)
{
    const std::optional<QImage::Format> format = imageFormat(c, depth);
    if (!format)
        throw Error(
            QStringLiteral("Could not read the screen: unsupported pixel format (depth %1)").arg(depth));
    const int pad = xcb_get_setup(c)->bitmap_format_scanline_pad;
    const int rowBits = width * *bitsPerPixel(c, depth);
    const int stride = (rowBits + pad - 1) / pad * pad / 8;
    if (*format != QImage::Format_RGB32) {
        // The view into the server's buffer is copied so that it outlives it.
        return QImage(data, width, height, stride, *format).copy();
    }
    // The server leaves the unused top byte of depth-24 pixels undefined;
    // Qt expects it to be 0xff, or painting treats the pixel as transparent.
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const uint32_t *>(data + qsizetype(y) * stride);
        auto *out = reinterpret_cast<uint32_t *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = in[x] | 0xff000000u;
    }
    return image;
}

} // namespace Xcb
