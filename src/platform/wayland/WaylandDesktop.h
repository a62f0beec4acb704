#pragma once

#include "platform/CompositingManager.h"
#include "platform/KeyboardFocus.h"
#include "platform/WindowActivator.h"
#include "platform/WindowList.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <memory>

// What a Wayland compositor keeps to itself: other programs' windows and
// the focus. The small answers that follow from it live here.

// A translucent window over the live screen shows black behind it on GNOME
// (it does not blend with other programs' windows for a client), so the
// overlay always draws over a frozen picture of the screen.
class WaylandCompositingManager : public CompositingManager
{
public:
    bool isRunning() const override { return false; }
    bool keepsWindowPositions() const override { return false; }
};

// Wayland tells no program which window of another holds the focus, nor
// where the pointer is unless it is over a window of its own: Qt's cursor
// position is then only where it was last seen, and on GNOME, which reports
// every window at 0,0, not even that. The pointer's screen is known while
// it is over one of our windows (an overlay covers each screen), and is
// then that window's screen; elsewhere it is not known.
class WaylandKeyboardFocus : public QObject, public KeyboardFocus
{
public:
    explicit WaylandKeyboardFocus(std::shared_ptr<const WaylandOutputs> outputs);

    std::optional<QRect> focusedWindowFrame() const override { return std::nullopt; }
    QScreen *screenUnderPointer() const override;
    QScreen *mainScreen() const override { return m_outputs->primaryScreen(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::shared_ptr<const WaylandOutputs> m_outputs;
    QPointer<QWindow> m_underPointer;
};

// The compositor decides about focus; asking is all a client can do.
class WaylandWindowActivator : public WindowActivator
{
public:
    void activate(WId window) override;
};

// Wayland lists no windows of other programs, and GNOME's only ways to one
// window's pixels put up a dialog of their own in which the user may as
// well pick the whole screen or an area. Rather than save something the
// user did not choose, window capture says plainly that it is not here.
class WaylandWindowList : public WindowList
{
public:
    std::optional<QList<WindowInfo>> frontToBack() override;
};
