#include "platform/wayland/WaylandDesktop.h"

#include "platform/Error.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

void WaylandWindowActivator::activate(WId window)
{
    for (QWindow *candidate : QGuiApplication::topLevelWindows()) {
        if (candidate->winId() == window) {
            candidate->requestActivate();
            return;
        }
    }
}

WaylandKeyboardFocus::WaylandKeyboardFocus(std::shared_ptr<const WaylandOutputs> outputs)
    : m_outputs(std::move(outputs))
{
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
}

QScreen *WaylandKeyboardFocus::screenUnderPointer() const
{
    // A window that went away with the pointer on it never saw it leave.
    if (!m_underPointer || !m_underPointer->isVisible())
        return nullptr;
    return m_underPointer->screen();
}

bool WaylandKeyboardFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched->isWindowType()) {
        auto *window = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Enter)
            m_underPointer = window;
        else if (event->type() == QEvent::Leave && m_underPointer == window)
            m_underPointer = nullptr;
    }
    return false;
}

std::optional<QList<WindowInfo>> WaylandWindowList::frontToBack()
{
    throw Error(QStringLiteral("Window capture is not available on this desktop."),
        QStringLiteral("On Wayland, GNOME does not let programs read other programs' windows. "
                       "Capture a region around the window instead."));
}
