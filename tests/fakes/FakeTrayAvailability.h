#pragma once

#include "platform/TrayAvailability.h"

// A tray that comes and goes when the test says.
class FakeTrayAvailability : public TrayAvailability
{
public:
    explicit FakeTrayAvailability(bool available = false)
        : m_available(available)
    {
    }
    bool isAvailable() const override { return m_available; }
    void setAvailable(bool available)
    {
        if (available == m_available)
            return;
        m_available = available;
        emit availableChanged(available);
    }

private:
    bool m_available;
};
