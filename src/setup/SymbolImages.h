#pragma once

#include <QIcon>

// The few symbols the setup screens show, drawn rather than loaded so that
// they stay sharp at every scale and need no icon theme.
namespace SymbolImages {

QIcon gear();
QIcon keyboard();
// A filled green circle with a check mark, or a red one with a cross.
QIcon statusCircle(bool ok);

// The green and red of the status circles.
QColor okColor();
QColor failureColor();

} // namespace SymbolImages
