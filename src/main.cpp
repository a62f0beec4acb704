#include "app/CaptureBus.h"
#include "app/CommandLine.h"
#include "app/QuilletApp.h"
#include "platform/Allocator.h"
#include "platform/SessionPlatform.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Ends the process with a message if the session bus stops answering while
// a request is on its way: a desktop shortcut must never leave a process
// hanging. Disarmed when it goes out of scope.
class BusWatchdog
{
public:
    BusWatchdog()
        : m_thread([this] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::seconds(8), [this] { return m_disarmed; })) {
                std::cerr << "quillet: the session D-Bus does not answer; is a desktop session running?"
                          << std::endl;
                std::_Exit(1);
            }
        })
    {
    }
    ~BusWatchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_disarmed = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_disarmed = false;
    std::thread m_thread;
};

// --help, --version and a mistyped argument are answered here and now.
std::optional<int> answerWithoutRunning(const CommandLine &line)
{
    switch (line.action) {
    case CommandLine::Action::help:
    case CommandLine::Action::version:
        std::cout << line.text.toStdString() << std::endl;
        return 0;
    case CommandLine::Action::refuse:
        std::cerr << line.text.toStdString() << std::endl;
        return commandLineUsageError;
    case CommandLine::Action::run:
        break;
    }
    return std::nullopt;
}

// Hands the request to the Quillet that already runs, if any: a capture, or
// for a plain start its window. Uses no display and no application object,
// so that a desktop's key binding reaches the running Quillet quickly, from
// anywhere. Returns the exit status, or nothing when this process is to
// become the running Quillet itself.
std::optional<int> handToRunningQuillet(const CommandLine &line)
{
    using Result = CaptureBus::Handoff::Result;
    const BusWatchdog watchdog;
    const CaptureBus::Handoff handoff = line.capture
        ? CaptureBus::forwardCapture(*line.capture, line.delaySeconds)
        : CaptureBus::forwardPresent();
    switch (handoff.result) {
    case Result::delivered:
        return 0;
    case Result::noneRunning:
        return std::nullopt;
    case Result::unreachable:
        // Without a bus a plain start still runs: there is just nobody to ask.
        if (!line.capture)
            return std::nullopt;
        std::cerr << "quillet: cannot reach the session D-Bus to find the running Quillet: "
                  << handoff.error.toStdString() << std::endl;
        return 1;
    case Result::refused:
        break;
    }
    std::cerr << "quillet: the running Quillet refused the request: " << handoff.error.toStdString()
              << std::endl;
    return 1;
}

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
    if (!SessionPlatform::isSupported())
        return 1;

    // The bus name is the lock: a Quillet that finds it taken (another one
    // started at the same moment) hands its request over and never grabs a
    // key or shows an icon.
    CaptureBusAdaptor bus;
    const CaptureBus::Claim claim = CaptureBus::claim(bus);
    if (claim.connected && !claim.owned)
        return handToRunningQuillet(line).value_or(1);

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
    const CommandLine line = CommandLine::parse(argumentsOf(argc, argv));
    if (const std::optional<int> status = answerWithoutRunning(line))
        return *status;
    if (const std::optional<int> status = handToRunningQuillet(line))
        return *status;
    return runQuillet(argc, argv, line);
}
