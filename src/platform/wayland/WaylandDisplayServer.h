#pragma once

#include "platform/DisplayServer.h"
#include "platform/wayland/WaylandOutputs.h"

#include <memory>

// Displays named after the compositor's outputs.
class WaylandDisplayServer : public DisplayServer
{
public:
    explicit WaylandDisplayServer(std::shared_ptr<const WaylandOutputs> outputs);

    std::optional<quint32> displayIdentifier(const QScreen &screen) const override;
    std::optional<quint32> mainDisplayID() const override;
    // Waits for the compositor to have handled our windows' requests, and
    // for a closed window's animation to have left the screen.
    void sync() const override;

    // A margin over GNOME's next frame and its window-closing animation.
    static constexpr unsigned long ClosingAnimationMs = 250;

private:
    std::shared_ptr<const WaylandOutputs> m_outputs;
};
