#pragma once

// WORKAROUND: xcb/xkb.h names a struct member `explicit`, a C++ keyword.
// Can go once libxcb renames it.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
