#pragma once

#include "platform/HotkeyBackend.h"

#include <algorithm>
#include <map>
#include <ranges>
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
        if (isTakenByOthers(evdevCodes, modifiers))
            return Result::taken;
        grabs[id] = {evdevCodes.empty() ? 0 : evdevCodes.front(), modifiers};
        return Result::grabbed;
    }
    void ungrab(quint32 id) override { grabs.erase(id); }
    void setCallback(Callback c) override { callback = std::move(c); }
    bool isBlockedByMenus() const override { return blockedByMenus; }
    bool isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers) override
    {
        return std::ranges::count(
                   takenByOthers, Combination{evdevCodes.empty() ? 0 : evdevCodes.front(), modifiers})
            > 0;
    }

    std::vector<quint32> ids() const
    {
        return {std::views::keys(grabs).begin(), std::views::keys(grabs).end()};
    }
    // Only grabbed combinations reach the application, as on a real server.
    void press(const Combination &combination) { deliver(combination, Event::pressed); }
    void release(const Combination &combination) { deliver(combination, Event::released); }
    void tap(const Combination &combination) { press(combination), release(combination); }

    std::map<quint32, Combination> grabs;
    std::vector<Combination> takenByOthers;
    bool blockedByMenus = true;
    Callback callback;

private:
    void deliver(const Combination &combination, Event event)
    {
        for (const auto &[id, grabbed] : grabs) {
            if (grabbed == combination && callback)
                return callback(id, event);
        }
    }
};
