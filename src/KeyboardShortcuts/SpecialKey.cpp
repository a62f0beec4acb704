#include "KeyboardShortcuts/SpecialKey.h"

#include "KeyboardShortcuts/Key.h"

namespace KeyboardShortcuts {

namespace {

// The function keys and keypad digits in order, so that their symbols can
// be derived from their position.
constexpr SpecialKey functionKeys[] = {
    SpecialKey::f1, SpecialKey::f2, SpecialKey::f3, SpecialKey::f4, SpecialKey::f5,
    SpecialKey::f6, SpecialKey::f7, SpecialKey::f8, SpecialKey::f9, SpecialKey::f10,
    SpecialKey::f11, SpecialKey::f12, SpecialKey::f13, SpecialKey::f14, SpecialKey::f15,
    SpecialKey::f16, SpecialKey::f17, SpecialKey::f18, SpecialKey::f19, SpecialKey::f20,
};

std::optional<int> functionKeyIndex(SpecialKey key)
{
    const int index = int(key) - int(SpecialKey::f1);
    if (index >= 0 && index < 20)
        return index;
    return std::nullopt;
}

std::optional<int> keypadDigit(SpecialKey key)
{
    const int digit = int(key) - int(SpecialKey::keypad0);
    if (digit >= 0 && digit < 10)
        return digit;
    return std::nullopt;
}

// The symbols shared by the display text and the menu key equivalent.
std::optional<QString> navigationSymbol(SpecialKey key)
{
    switch (key) {
    case SpecialKey::returnKey: return QStringLiteral("↩");
    case SpecialKey::deleteKey: return QStringLiteral("⌫");
    case SpecialKey::deleteForward: return QStringLiteral("⌦");
    case SpecialKey::end: return QStringLiteral("↘");
    case SpecialKey::escape: return QStringLiteral("⎋");
    case SpecialKey::help: return QStringLiteral("?\u20DD");
    case SpecialKey::home: return QStringLiteral("↖");
    case SpecialKey::tab: return QStringLiteral("⇥");
    case SpecialKey::pageUp: return QStringLiteral("⇞");
    case SpecialKey::pageDown: return QStringLiteral("⇟");
    case SpecialKey::upArrow: return QStringLiteral("↑");
    case SpecialKey::rightArrow: return QStringLiteral("→");
    case SpecialKey::downArrow: return QStringLiteral("↓");
    case SpecialKey::leftArrow: return QStringLiteral("←");
    default: return std::nullopt;
    }
}

// The names Linux desktops give these keys. A PC keyboard has Insert, Print,
// Scroll Lock, Pause and Num Lock where a Mac keyboard has Help, F13, F14,
// F15 and the keypad's Clear, so those codes are named after the PC key.
const char *linuxName(SpecialKey key)
{
    switch (key) {
    case SpecialKey::returnKey: return "Return";
    case SpecialKey::deleteKey: return "Backspace";
    case SpecialKey::deleteForward: return "Delete";
    case SpecialKey::end: return "End";
    case SpecialKey::escape: return "Escape";
    case SpecialKey::help: return "Insert";
    case SpecialKey::home: return "Home";
    case SpecialKey::space: return "Space";
    case SpecialKey::tab: return "Tab";
    case SpecialKey::pageUp: return "Page Up";
    case SpecialKey::pageDown: return "Page Down";
    case SpecialKey::upArrow: return "Up";
    case SpecialKey::rightArrow: return "Right";
    case SpecialKey::downArrow: return "Down";
    case SpecialKey::leftArrow: return "Left";
    case SpecialKey::f13: return "Print";
    case SpecialKey::f14: return "Scroll Lock";
    case SpecialKey::f15: return "Pause";
    case SpecialKey::keypadClear: return "Num Lock";
    case SpecialKey::keypadDecimal: return "Keypad .";
    case SpecialKey::keypadDivide: return "Keypad /";
    case SpecialKey::keypadEnter: return "Keypad Enter";
    case SpecialKey::keypadEquals: return "Keypad =";
    case SpecialKey::keypadMinus: return "Keypad -";
    case SpecialKey::keypadMultiply: return "Keypad *";
    case SpecialKey::keypadPlus: return "Keypad +";
    default: return nullptr;
    }
}

QHash<qint64, SpecialKey> makeTable()
{
    QHash<qint64, SpecialKey> table{
        {Key::returnKey.rawValue, SpecialKey::returnKey},
        {Key::deleteKey.rawValue, SpecialKey::deleteKey},
        {Key::deleteForward.rawValue, SpecialKey::deleteForward},
        {Key::end.rawValue, SpecialKey::end},
        {Key::escape.rawValue, SpecialKey::escape},
        {Key::help.rawValue, SpecialKey::help},
        {Key::home.rawValue, SpecialKey::home},
        {Key::space.rawValue, SpecialKey::space},
        {Key::tab.rawValue, SpecialKey::tab},
        {Key::pageUp.rawValue, SpecialKey::pageUp},
        {Key::pageDown.rawValue, SpecialKey::pageDown},
        {Key::upArrow.rawValue, SpecialKey::upArrow},
        {Key::rightArrow.rawValue, SpecialKey::rightArrow},
        {Key::downArrow.rawValue, SpecialKey::downArrow},
        {Key::leftArrow.rawValue, SpecialKey::leftArrow},
        {Key::keypadClear.rawValue, SpecialKey::keypadClear},
        {Key::keypadDecimal.rawValue, SpecialKey::keypadDecimal},
        {Key::keypadDivide.rawValue, SpecialKey::keypadDivide},
        {Key::keypadEnter.rawValue, SpecialKey::keypadEnter},
        {Key::keypadEquals.rawValue, SpecialKey::keypadEquals},
        {Key::keypadMinus.rawValue, SpecialKey::keypadMinus},
        {Key::keypadMultiply.rawValue, SpecialKey::keypadMultiply},
        {Key::keypadPlus.rawValue, SpecialKey::keypadPlus},
    };
    const Key fKeys[] = {Key::f1, Key::f2, Key::f3, Key::f4, Key::f5, Key::f6, Key::f7,
                         Key::f8, Key::f9, Key::f10, Key::f11, Key::f12, Key::f13, Key::f14,
                         Key::f15, Key::f16, Key::f17, Key::f18, Key::f19, Key::f20};
    for (int i = 0; i < 20; ++i)
        table.insert(fKeys[i].rawValue, functionKeys[i]);
    const Key digits[] = {Key::keypad0, Key::keypad1, Key::keypad2, Key::keypad3, Key::keypad4,
                          Key::keypad5, Key::keypad6, Key::keypad7, Key::keypad8, Key::keypad9};
    for (int i = 0; i < 10; ++i)
        table.insert(digits[i].rawValue, SpecialKey(int(SpecialKey::keypad0) + i));
    return table;
}

} // namespace

const QHash<qint64, SpecialKey> &specialKeysByKeyCode()
{
    static const QHash<qint64, SpecialKey> table = makeTable();
    return table;
}

QString presentableDescription(SpecialKey key)
{
    if (const char *name = linuxName(key))
        return QLatin1String(name);
    if (const auto index = functionKeyIndex(key))
        return QStringLiteral("F") + QString::number(*index + 1);
    return QStringLiteral("Keypad ") + QString::number(*keypadDigit(key));
}

std::optional<QString> menuKeyEquivalent(SpecialKey key)
{
    if (key == SpecialKey::space)
        return QStringLiteral(" ");
    if (const auto index = functionKeyIndex(key))
        return QString(QChar(0xF704 + *index)); // the private-use function-key characters
    return navigationSymbol(key);
}

} // namespace KeyboardShortcuts
