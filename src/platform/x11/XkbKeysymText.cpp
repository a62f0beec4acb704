#include "platform/x11/XkbKeysymText.h"

#include <QTextBoundaryFinder>

namespace {

// Dead keys are shown as the accent they put on the next letter.
std::optional<char32_t> spacingFormOfDeadKey(xkb_keysym_t keysym)
{
    switch (keysym) {
    case XKB_KEY_dead_grave: return U'`';
    case XKB_KEY_dead_acute: return U'\u00B4';
    case XKB_KEY_dead_circumflex: return U'^';
    case XKB_KEY_dead_tilde: return U'~';
    case XKB_KEY_dead_macron: return U'\u00AF';
    case XKB_KEY_dead_breve: return U'\u02D8';
    case XKB_KEY_dead_abovedot: return U'\u02D9';
    case XKB_KEY_dead_diaeresis: return U'\u00A8';
    case XKB_KEY_dead_abovering: return U'\u02DA';
    case XKB_KEY_dead_doubleacute: return U'\u02DD';
    case XKB_KEY_dead_caron: return U'\u02C7';
    case XKB_KEY_dead_cedilla: return U'\u00B8';
    case XKB_KEY_dead_ogonek: return U'\u02DB';
    default: return std::nullopt;
    }
}

} // namespace

std::optional<QString> xkbKeysymText(xkb_keysym_t keysym)
{
    if (const auto spacing = spacingFormOfDeadKey(keysym))
        return QString::fromUcs4(&*spacing, 1);
    char buffer[16] = {};
    if (xkb_keysym_to_utf8(keysym, buffer, sizeof buffer) <= 1)
        return std::nullopt;
    const QString text = QString::fromUtf8(buffer);
    if (text.isEmpty() || text.at(0).category() == QChar::Other_Control)
        return std::nullopt;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    if (graphemes.toNextBoundary() != text.size())
        return std::nullopt; // more than one character
    return text;
}
