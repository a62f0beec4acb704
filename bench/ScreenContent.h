#pragma once

#include <QImage>
#include <QSize>

// A deterministic stand-in for a busy desktop, used wherever encoders are
// measured: a photo (smooth gradients with grain and hard edges), an editor
// and a terminal full of anti-aliased text, and flat UI chrome with buttons
// and icons. Needs a QGuiApplication for the fonts.
QImage makeScreenContent(QSize size);
