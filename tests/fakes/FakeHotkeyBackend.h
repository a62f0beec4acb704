#pragma once

#include "platform/HotkeyBackend.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

// Records grabs instead of making them; refuses the combinations a test
// marks as taken, and plays presses and releases on demand.
class FakeHotkeyBackend : public HotkeyBackend
{
public:
    struct Combination
    {
        int evdevCode = 0;
        KeyModifiers modifiers;
        friend bool operator==(const Combination &, const Combination &) = default;
    };

    Result grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers) override
    {
        const Combination combination{evdevCodes.empty() ? 0 : evdevCodes.front(), modifiers};
        for (const Combination &taken : takenByOthers) {
            if (taken == combination)
                return Result::taken;
        }
        grabs[id] = combination;
        return Result::grabbed;
    }
    void ungrab(quint32 id) override { grabs.erase(id); }
    void setCallback(Callback c) override { callback = std::move(c); }
    bool isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers) override
    {
        const Combination combination{evdevCodes.empty() ? 0 : evdevCodes.front(), modifiers};
        return std::find(takenByOthers.begin(), takenByOthers.end(), combination) != takenByOthers.end();
    }

    std::optional<quint32> idOf(const Combination &combination) const
    {
        for (const auto &[id, grabbed] : grabs) {
            if (grabbed == combination)
                return id;
        }
        return std::nullopt;
    }
    std::vector<quint32> ids() const
    {
        std::vector<quint32> result;
        for (const auto &entry : grabs)
            result.push_back(entry.first);
        return result;
    }
    // Only grabbed combinations reach the application, as on a real server.
    void press(const Combination &combination) { deliver(combination, Event::pressed); }
    void release(const Combination &combination) { deliver(combination, Event::released); }

    std::map<quint32, Combination> grabs;
    std::vector<Combination> takenByOthers;
    Callback callback;

private:
    void deliver(const Combination &combination, Event event)
    {
        if (const auto id = idOf(combination); id && callback)
            callback(*id, event);
    }
};
