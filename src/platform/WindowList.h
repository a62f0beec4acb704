#pragma once

#include <QList>
#include <QRect>

#include <optional>

// One entry of the window list. Fields that the window system does not
// report are left empty (or 0), as the window list leaves them out.
struct WindowInfo
{
    quint32 number = 0; // the window's identifier, as ShareableWindow::windowID
    qint64 ownerPid = 0; // 0 when unknown
    std::optional<int> layer; // 0 for ordinary application windows
    std::optional<QRect> bounds; // frame with decorations, device pixels

    friend bool operator==(const WindowInfo &, const WindowInfo &) = default;
};

// The on-screen windows, front to back. May be called from any thread.
class WindowList
{
public:
    virtual ~WindowList();

    // Nothing when the window system cannot give a list at all. Throws
    // Error, with what the user can do instead, on a desktop that keeps
    // other programs' windows from us by design.
    virtual std::optional<QList<WindowInfo>> frontToBack() = 0;
};
