#include "capture/DisplayLookup.h"

#include "platform/DisplayServer.h"

#include <QGuiApplication>
#include <QScreen>

// The identifier travels with the screen object itself, so any code holding
// a QScreen can ask for it without reaching the display server.
static constexpr char DisplayIDProperty[] = "quilletDisplayID";

std::optional<quint32> displayIDOfScreen(const QScreen *screen)
{
    if (!screen)
        return std::nullopt;
    const QVariant value = screen->property(DisplayIDProperty);
    if (value.typeId() != QMetaType::UInt)
        return std::nullopt;
    return value.toUInt();
}

QScreen *screenForDisplayID(quint32 displayID)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (displayIDOfScreen(screen) == displayID)
            return screen;
    }
    return nullptr;
}

static void label(QScreen *screen, const DisplayServer &displays)
{
    const std::optional<quint32> id = displays.displayIdentifier(*screen);
    screen->setProperty(DisplayIDProperty, id ? QVariant::fromValue<uint>(*id) : QVariant());
}

void installDisplayIdentifiers(DisplayServer &displays, QObject *context)
{
    for (QScreen *screen : QGuiApplication::screens())
        label(screen, displays);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context,
        [&displays](QScreen *screen) { label(screen, displays); });
}
