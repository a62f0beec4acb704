#include "app/CaptureBus.h"
#include "app/CommandLine.h"
#include "app/QuilletApp.h"
#include "platform/Allocator.h"
#include "platform/SessionPlatform.h"

#include <QApplication>
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

// With --capture: hands the request to the Quillet that already runs, if
// any. Returns the exit status, or nothing when this process is to become
// the running Quillet itself.
std::optional<int> forwardToRunningInstance(const CommandLine &line, const CaptureBus::Claim &claim)
{
    if (!line.capture || claim.owned)
        return std::nullopt;
    if (!claim.connected) {
        std::cerr << "quillet: cannot reach the session D-Bus to find the running Quillet: "
                  << claim.error.toStdString() << std::endl;
        return 1;
    }
    const QString error = CaptureBus::forward(*line.capture, line.delaySeconds);
    if (error.isEmpty())
        return 0;
    std::cerr << "quillet: the running Quillet refused the capture: " << error.toStdString() << std::endl;
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const CommandLine line = CommandLine::parse(argumentsOf(argc, argv));
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

    Allocator::mapLargeBlocksSeparately();

    SessionPlatform::chooseQtPlatform();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    // The bus object goes up before the services, so that a second Quillet
    // started with --capture forwards its request without grabbing keys or
    // showing a tray icon of its own.
    CaptureBusAdaptor bus;
    CaptureBus::Claim claim;
    {
        std::optional<BusWatchdog> watchdog;
        if (line.capture)
            watchdog.emplace();
        claim = CaptureBus::claim(bus);
        if (const std::optional<int> status = forwardToRunningInstance(line, claim))
            return *status;
    }

    std::optional<Platform> platform = SessionPlatform::make();
    if (!platform)
        return 1;
    QuilletApp quillet(std::move(*platform));
    bus.setCoordinator(&quillet.hotkeyService());
    if (line.capture)
        QTimer::singleShot(0, &bus, [&bus, &line] { bus.start(*line.capture, line.delaySeconds); });
    return QApplication::exec();
}
