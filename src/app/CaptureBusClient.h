#pragma once

#include "app/CaptureMode.h"

#include <QString>

// What a process that is not the running Quillet needs to reach it on the
// session bus. Uses QtCore and QtDBus only, so that the `quillet` command a
// desktop shortcut runs loads nothing else.
namespace CaptureBus {

inline constexpr char serviceName[] = "io.quillet.Quillet";
inline constexpr char objectPath[] = "/io/quillet/Quillet";
inline constexpr char interfaceName[] = "io.quillet.Quillet.Capture";
inline constexpr char applicationInterfaceName[] = "io.quillet.Quillet";
inline constexpr char invalidArgsError[] = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr char busyError[] = "io.quillet.Quillet.Error.Busy";

// Long enough for a busy desktop, short enough that a desktop shortcut
// never seems to hang.
inline constexpr int busTimeoutMs = 3000;

// The bus method that starts a capture of this kind.
QString methodName(CaptureMode mode);

// What came of handing a request to the running Quillet.
struct Handoff
{
    enum class Result { delivered, noneRunning, unreachable, refused };
    Result result = Result::noneRunning;
    // Why the bus could not be reached, or the running Quillet's refusal.
    QString error;
};

// Asks the Quillet that owns the name to start a capture, or to come
// forward; answers within a few seconds. Needs no application object, so
// that it works before (and without) any display.
Handoff forwardCapture(CaptureMode mode, int delaySeconds);
Handoff forwardPresent();

} // namespace CaptureBus
