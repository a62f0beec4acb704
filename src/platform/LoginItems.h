#pragma once

// Whether Quillet starts when the user logs in. Main thread.
class LoginItems
{
public:
    virtual ~LoginItems();

    // The real state now: another program or the user may have changed it.
    virtual bool isEnabled() = 0;
    // Returns whether the change was made; on failure the state is what
    // isEnabled() then reports.
    virtual bool setEnabled(bool enabled) = 0;
};
