#pragma once

// Whether a compositing manager runs, which decides how translucent windows
// look: with one, alpha blends with what lies beneath; without one, alpha is
// ignored, so windows fall back to frozen backgrounds or solid shapes.
class CompositingManager
{
public:
    virtual ~CompositingManager() = default;
    // Asked afresh each time: a compositing manager may start or stop at any moment.
    virtual bool isRunning() const = 0;
    // Whether our windows sit where we put them. A Wayland compositor places
    // windows itself; there only a fullscreen window covers a chosen output.
    virtual bool keepsWindowPositions() const { return true; }
};
