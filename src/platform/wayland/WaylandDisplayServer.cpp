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
    // GNOME Shell still draws a closed window while its closing animation
    // runs (150 ms in GNOME 43), and a screenshot taken meanwhile shows it:
    // the countdown badge came out in delayed captures. Nothing of ours is
    // on the screen by now, so waiting here is not seen.
    QThread::msleep(ClosingAnimationMs);
}
