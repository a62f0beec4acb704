#include "KeyboardShortcuts/KeyNames.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/Strings.h"

namespace KeyboardShortcuts {

namespace {

struct NamedKey
{
    Key key;
    const char *name;
};

// Keys outside the special ones that print nothing either.
constexpr NamedKey otherNamedKeys[] = {
    {Key::capsLock, "Caps Lock"}, {Key::shift, "Shift"}, {Key::function, "Fn"}, {Key::control, "Ctrl"},
    {Key::option, "Alt"}, {Key::command, "Super"}, {Key::rightShift, "Right Shift"},
    {Key::rightControl, "Right Ctrl"}, {Key::rightOption, "Right Alt"}, {Key::rightCommand, "Right Super"},
    {Key::mute, "Mute"}, {Key::volumeUp, "Volume Up"}, {Key::volumeDown, "Volume Down"},
    {Key{110}, "Menu"}, // where macOS puts a PC keyboard's Menu key
};

struct UsKey
{
    Key key;
    char character;
};

constexpr UsKey usKeys[] = {
    {Key::a, 'a'}, {Key::b, 'b'}, {Key::c, 'c'}, {Key::d, 'd'}, {Key::e, 'e'}, {Key::f, 'f'}, {Key::g, 'g'},
    {Key::h, 'h'}, {Key::i, 'i'}, {Key::j, 'j'}, {Key::k, 'k'}, {Key::l, 'l'}, {Key::m, 'm'}, {Key::n, 'n'},
    {Key::o, 'o'}, {Key::p, 'p'}, {Key::q, 'q'}, {Key::r, 'r'}, {Key::s, 's'}, {Key::t, 't'}, {Key::u, 'u'},
    {Key::v, 'v'}, {Key::w, 'w'}, {Key::x, 'x'}, {Key::y, 'y'}, {Key::z, 'z'}, {Key::zero, '0'},
    {Key::one, '1'}, {Key::two, '2'}, {Key::three, '3'}, {Key::four, '4'}, {Key::five, '5'}, {Key::six, '6'},
    {Key::seven, '7'}, {Key::eight, '8'}, {Key::nine, '9'}, {Key::backslash, '\\'}, {Key::backtick, '`'},
    {Key::comma, ','}, {Key::equal, '='}, {Key::minus, '-'}, {Key::period, '.'}, {Key::quote, '\''},
    {Key::semicolon, ';'}, {Key::slash, '/'}, {Key::leftBracket, '['}, {Key::rightBracket, ']'},
    {Key{10}, '<'}, // the ISO key beside the left Shift
};

// Presentation forms exist for the sake of old encodings: a layout that puts
// one on a key (Ethiopic does) uses it as a placeholder for an input method.
bool isPresentationForm(char32_t c)
{
    return (c >= 0xFB50 && c <= 0xFDFF) || (c >= 0xFE50 && c <= 0xFEFF);
}

} // namespace

QString modifierNames(ModifierFlags flags)
{
    const std::pair<ModifierFlags, const char *> order[] = {
        {ModifierFlags::shift, "Shift+"},
        {ModifierFlags::control, "Ctrl+"},
        {ModifierFlags::option, "Alt+"},
        {ModifierFlags::command, "Super+"},
        {ModifierFlags::function, "Fn+"},
    };
    QString names;
    for (const auto &[flag, name] : order) {
        if (flags.contains(flag))
            names += QLatin1String(name);
    }
    return names;
}

QString keyName(qint64 keyCode)
{
    const auto &special = specialKeysByKeyCode();
    if (const auto it = special.constFind(keyCode); it != special.cend())
        return presentableDescription(*it);
    for (const NamedKey &named : otherNamedKeys) {
        if (named.key.rawValue == keyCode)
            return QLatin1String(named.name);
    }
    if (const auto character = characterForKeyCode(keyCode))
        return capitalized(*character);
    if (const auto character = usLayoutCharacter(keyCode))
        return capitalized(*character);
    return QStringLiteral("\uFFFD");
}

bool isReadableKeyCharacter(const QString &character)
{
    const QList<uint> codePoints = character.toUcs4();
    if (codePoints.isEmpty() || isPresentationForm(codePoints.first()))
        return false;
    switch (QChar::category(codePoints.first())) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

std::optional<QString> usLayoutCharacter(qint64 keyCode)
{
    for (const UsKey &us : usKeys) {
        if (us.key.rawValue == keyCode)
            return QString(QLatin1Char(us.character));
    }
    return std::nullopt;
}

} // namespace KeyboardShortcuts
