#pragma once

#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace Xcb {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

// Replies and errors that xcb hands over are malloc'd and ours to free.
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;
using ErrorPtr = Reply<xcb_generic_error_t>;

// A connection of our own to the X server named by $DISPLAY.
class Connection
{
public:
    // Throws Error when the server cannot be reached.
    static std::unique_ptr<Connection> open();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    xcb_connection_t *get() const { return m_connection; }
    xcb_screen_t *screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    int screenNumber() const { return m_screenNumber; }

private:
    Connection(xcb_connection_t *connection, xcb_screen_t *screen, int screenNumber);

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
    int m_screenNumber;
};

QString errorText(const xcb_generic_error_t *error);

// Throws Error("<what>: <reason>") when a checked request failed.
void check(xcb_connection_t *c, xcb_void_cookie_t cookie, const QString &what);

xcb_atom_t atom(xcb_connection_t *c, const char *name, bool onlyIfExists = false);
QString atomName(xcb_connection_t *c, xcb_atom_t atom);

// The 32-bit items of a window property, or nothing when it is not set.
std::optional<std::vector<uint32_t>> property32(xcb_connection_t *c, xcb_window_t window,
                                                xcb_atom_t property, xcb_atom_t type);

// The QImage format that holds ZPixmap data of `depth` on this server.
std::optional<QImage::Format> imageFormat(xcb_connection_t *c, uint8_t depth);

// A deep copy of ZPixmap rows (padded as the server pads them) into a QImage.
QImage imageFromZPixmap(xcb_connection_t *c, const uint8_t *data, int width, int height, uint8_t depth);

} // namespace Xcb
