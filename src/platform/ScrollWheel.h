#pragma once

// How far the user turned the scroll wheel, wherever the pointer is and
// whichever window the turns go to. A scrolling capture reads it to tell
// how far a page moved where the pictures alone cannot (blank stretches).
class ScrollWheel
{
public:
    virtual ~ScrollWheel();
    // Starts counting from zero; false when the turns cannot be read here.
    virtual bool startCounting() = 0;
    virtual void stopCounting() = 0;
    // Wheel steps since counting started: downward (towards the end of a
    // page) positive, upward negative; smooth scrolling gives fractions.
    // Every turn the system delivered before this call is included.
    virtual double steps() = 0;
};
