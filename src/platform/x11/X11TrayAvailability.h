#pragma once

#include "platform/TrayAvailability.h"

#include <memory>

class QSocketNotifier;

namespace Xcb {
class Connection;
}

// An XEmbed tray is whoever owns the selection _NET_SYSTEM_TRAY_S<screen>.
// Watched through XFixes on a connection of our own, so a tray that starts,
// quits or crashes is noticed as it happens, whatever Qt does with it.
class X11TrayAvailability final : public TrayAvailability
{
    Q_OBJECT

public:
    // Throws Error when the X server cannot be reached.
    explicit X11TrayAvailability(QObject *parent = nullptr);
    ~X11TrayAvailability() override;

    bool isAvailable() const override { return m_available; }

private:
    bool ownerExists() const;
    void readEvents();

    std::unique_ptr<Xcb::Connection> m_connection;
    quint32 m_selection = 0;
    quint8 m_xfixesFirstEvent = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_available = false;
};
