#include "platform/wayland/WaylandDisplayServer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

WaylandDisplayServer::WaylandDisplayServer(std::shared_ptr<const WaylandOutputs> outputs)
    : m_outputs(std::move(outputs))
{
}

std::optional<quint32> WaylandDisplayServer::displayIdentifier(const QScreen &screen) const
{
    if (screen.name().isEmpty())
        return std::nullopt;
    return WaylandOutputs::identifierForName(screen.name());
}

std::optional<quint32> WaylandDisplayServer::mainDisplayID() const
{
    return m_outputs->primaryID();
}

void WaylandDisplayServer::sync() const
{
    // Qt's wayland platform does a roundtrip for a sync: the compositor has
    // then seen every request, a window's unmapping included.
    QGuiApplication::sync();
    // GNOME Shell takes an unmapped window off its stage only when it next
    // draws a frame, and then lets it fade out (150 ms in GNOME 43); a
    // screenshot meanwhile still shows it, and no client hears when either
    // is over. The countdown badge was in delayed captures without this
    // wait even with animations off. Nothing of ours is on the screen by
    // now, so waiting here is not seen.
    QThread::msleep(ClosingAnimationMs);
}
