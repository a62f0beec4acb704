#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>

// Helpers for the gnome tier: programs that run inside tests/support/with-gnome,
// on a private headless GNOME Shell.
namespace GnomeTestSupport {

// The session's HOME: the one every program of the session must run with,
// for GSettings reads its database under that HOME's XDG_CONFIG_HOME.
QString sessionHome();

// The whole screen as the compositor itself renders it, without the
// pointer (org.gnome.Shell.Screenshot): an oracle that shares nothing with
// the portal path a program uses. Null on failure.
QImage shellScreenshot();

// An image's pixels alone, opaque, in one format, without the colour space
// a file may name, so that two images compare by what they show.
QImage pixels(const QImage &image);

// Keysyms that tests press, by X keysym value.
namespace Keysym {
inline constexpr quint32 Escape = 0xff1b, Return = 0xff0d, Tab = 0xff09, ShiftL = 0xffe1, ControlL = 0xffe3,
                         AltL = 0xffe9, SuperL = 0xffeb;
} // namespace Keysym

// Input as a user gives it, injected by the compositor through
// org.gnome.Mutter.RemoteDesktop (needs PipeWire: with-gnome --portals).
// Each call returns once the compositor accepted the event.
class RemoteInput
{
public:
    // Opens a session with a linked screen cast of every output (absolute
    // pointer motion needs one) and sends the throwaway key that the first
    // key event of every new session is lost to. Null when that fails.
    static std::unique_ptr<RemoteInput> open();
    ~RemoteInput();

    // Global coordinates of the virtual desktop, as Qt reports screens.
    // Returns once the compositor has handled the motion (see sync()).
    bool moveTo(QPoint global);
    // Returns once the compositor's main loop has handled the events sent
    // so far. Its input thread hands them over on its own time: a press
    // sent right after a motion could otherwise land where the pointer was.
    static bool sync();
    bool button(bool pressed, int button = LeftButton);
    bool click(QPoint global);
    // Press at `from`, a few moves, release at `to`.
    bool drag(QPoint from, QPoint to);
    // Keysyms pressed in order and released in reverse: {ShiftL, SuperL, '3'}.
    bool keys(const QList<quint32> &keysyms);
    // Discrete wheel steps at the pointer; positive scrolls down.
    bool wheel(int steps);

    static constexpr int LeftButton = 0x110; // BTN_LEFT

private:
    struct Stream
    {
        QString path;
        QRect geometry;
    };
    RemoteInput() = default;
    bool call(const QString &method, const QVariantList &arguments);

    QString m_session;
    QString m_screenCast;
    QList<Stream> m_streams;
};

} // namespace GnomeTestSupport
