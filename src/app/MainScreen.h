#pragma once

class KeyboardFocus;
class QScreen;

namespace MainScreen {

// The display the user works on: the screen holding the centre of the
// focused window (of any application), else the screen under the pointer
// where the platform knows it now, else the primary screen. Null only when
// there is no screen at all.
QScreen *find(const KeyboardFocus *focus);

} // namespace MainScreen
