#pragma once

#include "platform/ScreenCast.h"

#include <QStringList>

// A screen cast that records how it is driven; the test sends its signals.
class FakeScreenCast : public ScreenCast
{
public:
    void start(const QString &restoreToken) override
    {
        starts.append(restoreToken);
        running = true;
    }
    void stop() override { running = false; }

    QStringList starts; // the restore token of each start
    bool running = false;
};
