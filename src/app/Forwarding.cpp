#include "app/Forwarding.h"

#include "app/CaptureBusClient.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

namespace {

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

} // namespace

namespace Forwarding {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

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

// Uses no display and no application object, so that a desktop's key
// binding reaches the running Quillet quickly, from anywhere.
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

std::optional<int> settle(const CommandLine &line)
{
    if (const std::optional<int> status = answerWithoutRunning(line))
        return status;
    return handToRunningQuillet(line);
}

} // namespace Forwarding
