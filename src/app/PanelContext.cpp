#include "app/PanelContext.h"

#include "app/MainScreen.h"
#include "platform/CompositingManager.h"
#include "platform/Platform.h"
#include "platform/WindowActivator.h"

#include <QWidget>

PanelContext PanelContext::fromPlatform(const Platform &platform)
{
    return {platform.focus, platform.compositing, platform.activator, {}, platform.notifier};
}

QScreen *PanelContext::mainScreen() const
{
    return mainScreenOverride ? mainScreenOverride() : MainScreen::find(focus.get());
}

bool PanelContext::isComposited() const
{
    return compositing && compositing->isRunning();
}

void PanelContext::activate(QWidget &window) const
{
    window.raise();
    window.activateWindow();
    if (activator)
        activator->activate(window.winId());
}
