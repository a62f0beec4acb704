#pragma once

#include "platform/DisplayServer.h"

#include <memory>

namespace Xcb {
class Connection;
}

// Display identifiers from RandR 1.5 monitors. Qt names each QScreen after
// its monitor; screens are matched by that name, else by position and size.
class X11DisplayServer final : public DisplayServer
{
public:
    X11DisplayServer();
    ~X11DisplayServer() override;

    std::optional<quint32> displayIdentifier(const QScreen &screen) const override;
    std::optional<quint32> mainDisplayID() const override;
    // A round trip on Qt's own connection, which carries our windows' requests.
    void sync() const override;

private:
    const Xcb::Connection &connection() const;

    mutable std::unique_ptr<Xcb::Connection> m_connection;
};
