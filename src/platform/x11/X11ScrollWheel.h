#pragma once

#include "platform/ScrollWheel.h"

#include <QtGlobal>

#include <map>
#include <memory>
#include <optional>

namespace Xcb {
class Connection;
}

// Counts wheel steps from the XInput 2 raw events of every master pointer:
// raw events reach a client that selects them on the root window whatever
// window the pointer is over and whoever grabs it. A device with a vertical
// scroll valuator is read from that valuator (its buttons 4 and 5 are only
// emulated from it); any other device from its buttons 4 (up) and 5 (down).
// A private connection lives while counting.
class X11ScrollWheel final : public ScrollWheel
{
public:
    X11ScrollWheel();
    ~X11ScrollWheel() override;
    bool startCounting() override;
    void stopCounting() override;
    double steps() override;

private:
    struct VerticalScroll
    {
        int valuator = 0;
        double increment = 1; // valuator units per step; negative when inverted
    };

    void readEvents();
    void handle(const void *event);
    const std::optional<VerticalScroll> &scrollOf(quint16 device);

    std::unique_ptr<Xcb::Connection> m_connection;
    quint8 m_opcode = 0;
    std::map<quint16, std::optional<VerticalScroll>> m_devices;
    double m_steps = 0;
};
