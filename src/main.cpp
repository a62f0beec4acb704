#include "app/CaptureBus.h"
#include "app/CommandLine.h"
#include "app/Forwarding.h"
#include "app/QuilletApp.h"
#include "platform/Allocator.h"
#include "platform/ProgramFiles.h"
#include "platform/SessionPlatform.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace {

// Only the process that becomes the running Quillet needs a display; rather
// than let Qt abort without one, say so.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void setUpApplication()
{
    QLoggingCategory::setFilterRules({});
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
}

// What this start was asked for, once the main loop runs.
void carryOut(const CommandLine &line, CaptureBusAdaptor &bus, QuilletApp &quillet)
{
    if (line.capture)
        bus.start(*line.capture, line.delaySeconds);
    else if (line.settings)
        quillet.present();
}

int runQuillet(int argc, char **argv, const CommandLine &line)
{
    if (!hasDisplay()) {
        std::cerr << "quillet: no display to run on (neither DISPLAY nor WAYLAND_DISPLAY is set)"
                  << std::endl;
        return 1;
    }
    Allocator::mapLargeBlocksSeparately();
    // Qt ends the process when no platform plugin starts; the offscreen one
    // always starts, so that a display that cannot be reached is reported
    // in one line of ours, like a missing one.
    SessionPlatform::chooseQtPlatform();
    QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.xcb.warning=false\nqt.qpa.plugin.warning=false"));
    QApplication app(argc, argv);
    setUpApplication();
    // Read before anything starts a process that would inherit it.
    ProgramFiles::command();
    if (!SessionPlatform::isSupported())
        return 1;

    // The bus name is the lock: a Quillet that finds it taken (another one
    // started at the same moment) hands its request over and never grabs a
    // key or shows an icon.
    CaptureBusAdaptor bus;
    const CaptureBus::Claim claim = CaptureBus::claim(bus);
    if (claim.connected && !claim.owned)
        return Forwarding::handToRunningQuillet(line).value_or(1);

    std::optional<Platform> platform = SessionPlatform::make();
    if (!platform)
        return 1;
    QuilletApp quillet(std::move(*platform));
    bus.setCoordinator(&quillet.hotkeyService());
    bus.onPresent = [&quillet] { quillet.present(); };
    QTimer::singleShot(0, &bus, [&] { carryOut(line, bus, quillet); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    const CommandLine line = CommandLine::parse(Forwarding::argumentsOf(argc, argv));
    if (const std::optional<int> status = Forwarding::settle(line))
        return *status;
    return runQuillet(argc, argv, line);
}
