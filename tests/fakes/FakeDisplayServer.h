#pragma once

#include "platform/DisplayServer.h"

#include <QHash>
#include <QScreen>

// Names screens by their QScreen::name(); screens missing from `ids` have no identifier.
class FakeDisplayServer : public DisplayServer
{
public:
    QHash<QString, quint32> ids;
    std::optional<quint32> mainDisplay;

    std::optional<quint32> displayIdentifier(const QScreen &screen) const override
    {
        const auto it = ids.find(screen.name());
        return it == ids.end() ? std::nullopt : std::optional<quint32>(*it);
    }
    std::optional<quint32> mainDisplayID() const override { return mainDisplay; }
};
