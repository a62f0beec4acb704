#include "platform/wayland/WaylandDisplayServer.h"

#include <QGuiApplication>
#include <QScreen>

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
}
