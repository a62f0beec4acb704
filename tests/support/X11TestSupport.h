#pragma once

#include "capture/CaptureService.h"
#include "capture/OverlayService.h"
#include "platform/x11/X11CompositingManager.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/TestWindowContent.h"

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QWidget>

#include <functional>

// Helpers for tests on a private X display: the screen as other clients see
// it, input through xdotool, and windows of another process.
namespace X11TestSupport {

// Runs xdotool to completion; returns whether it succeeded.
bool xdotool(const QStringList &arguments);

// The root window's pixels over `area`, in device pixels.
QImage grabScreen(const QRect &area);

// Waits until the screen over `area` satisfies `shows`. Anything drawn by
// another process (or by a compositing manager) reaches the screen some
// time after it was asked for, so every reference read of the screen goes
// through here. Returns whether it did in time.
bool waitUntilScreenShows(const QRect &area, const std::function<bool(const QImage &)> &shows);

// A known pattern on the root window: every pixel's colour encodes its
// device-pixel position.
QRgb rootPattern(int x, int y);
// Sets the root window's background to the pattern and waits until the
// screen shows it.
bool paintRootPattern(const QSize &rootSize);
// How many pixels of `image` differ from the pattern of `nativeArea` (their
// sizes must agree); -1 when the sizes differ.
qint64 patternMismatches(const QImage &image, const QRect &nativeArea);

// The window that xdotool names for `query`: "getactivewindow" (the window
// manager's choice) or "getwindowfocus" (the X server's input focus).
quint32 xdotoolWindow(const char *query = "getactivewindow");

// The clipboard's content of `type` as another X client reads it. xclip runs
// while events are processed, for the owner may be this very process.
QByteArray clipboard(const QString &type);

// Where a window's content is on the screen; empty if xwininfo cannot tell.
QRect geometryOf(quint32 window);

// Where the screen shows `local` of one of our widgets. The server is asked:
// Qt's idea of where the window manager put a window can be left stale (a
// panel Qt placed at 0,0 that openbox showed elsewhere), and a click there
// would miss.
QPoint onScreen(const QWidget *widget, QPoint local);

// The widths of the frame the window manager drew around a window: left,
// right, top and bottom; empty while it has drawn none.
QList<int> frameExtents(quint32 window);

// The capture services over the X11 platform.
struct X11Capture
{
    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    X11CompositingManager compositing;
    CaptureService capture{displays, grabber, windows};
    OverlayService overlays{grabber, compositing};
};

// Shows the selection overlays and waits until each is exposed with its
// picture of the screen taken; returns whether they all were in time.
bool showOverlays(OverlayService &overlays);

// A window of another process (the test-window program), at WxH+X+Y as the
// window manager allows. Construction returns once its content is on the
// screen, so a test never reads the screen before the window was painted.
// The process is killed when this goes.
class HelperWindow
{
public:
    // The pattern of TestWindowContent::pattern, or, with a step, the top
    // of a scrolling page (TestWindowContent::scrolledWindow).
    explicit HelperWindow(const QString &geometry, int scrollStep = 0, int pageHeight = 0,
        const TestWindowContent::PageLayout &layout = {});
    ~HelperWindow();
    // Waits until the page has been repainted at `offset` rows down.
    bool waitForOffset(int offset);
    bool hasFocus() const;
    // Waits until the window holds the keyboard focus.
    bool waitForFocus() const;

    quint32 id = 0;
    QPoint origin;
    bool shown = false;

private:
    QProcess m_process;
    int m_offset = 0;
};

} // namespace X11TestSupport
