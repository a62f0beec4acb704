#pragma once

#include "platform/WindowActivator.h"

#include <QList>

// Records which windows were to be activated.
class FakeWindowActivator : public WindowActivator
{
public:
    void activate(WId window) override { activated.append(window); }
    QList<WId> activated;
};
