#include "platform/wayland/GnomeHotkeyBackend.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <iostream>

namespace {

// Mutter's name for the key above Tab, whatever it types.
const QString aboveTab = QStringLiteral("Above_Tab");
constexpr int graveKey = 41;

bool isPlainShellWord(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_/.,:=+@%-]+$"));
    return plain.match(text).hasMatch();
}

// Quoted so that GLib's shell-style splitting gives the text back.
QString quoted(const QString &text)
{
    if (isPlainShellWord(text))
        return text;
    QString result = text;
    result.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + result + u'\'';
}

} // namespace

GnomeHotkeyBackend::GnomeHotkeyBackend(std::unique_ptr<GnomeKeybindingStore> store, Keysyms keysyms, QString program)
    : m_store(std::move(store))
    , m_keysyms(std::move(keysyms))
    , m_program(std::move(program))
{
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &GnomeHotkeyBackend::freeze);
}

// Nothing is written here: the bindings stay for the next start.
GnomeHotkeyBackend::~GnomeHotkeyBackend() = default;

HotkeyBackend::Result GnomeHotkeyBackend::grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers)
{
    if (evdevCodes.empty() || !m_keysyms.nameForKey(evdevCodes.front()))
        return Result::invalid;
    const std::optional<QStringList> inUse = acceleratorsInUse();
    if (!inUse)
        return Result::invalid;
    if (usedBy(*inUse, evdevCodes, modifiers))
        return Result::taken;
    m_registrations[id] = {evdevCodes, modifiers};
    scheduleFlush();
    return Result::grabbed;
}

void GnomeHotkeyBackend::ungrab(quint32 id)
{
    if (m_registrations.erase(id))
        scheduleFlush();
}

// GNOME runs the command on a press; no press reaches this process.
void GnomeHotkeyBackend::setCallback(Callback callback)
{
    Q_UNUSED(callback);
}

void GnomeHotkeyBackend::setCommandSource(CommandSource source)
{
    m_commands = std::move(source);
    scheduleFlush();
}

bool GnomeHotkeyBackend::isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers)
{
    const std::optional<QStringList> inUse = acceleratorsInUse();
    return inUse && usedBy(*inUse, evdevCodes, modifiers);
}

// The desktop's own bindings and the custom ones that are not Quillet's.
std::optional<QStringList> GnomeHotkeyBackend::acceleratorsInUse()
{
    const std::optional<QStringList> paths = m_store->customPaths();
    if (!paths) {
        complainUnreadable();
        return std::nullopt;
    }
    QStringList accelerators = m_store->systemAccelerators();
    for (const QString &path : *paths) {
        if (path.startsWith(pathPrefix))
            continue;
        if (const auto custom = m_store->custom(path))
            accelerators << custom->binding;
    }
    return accelerators;
}

bool GnomeHotkeyBackend::usedBy(const QStringList &accelerators, const std::vector<int> &evdevCodes,
                                KeyModifiers modifiers) const
{
    for (const QString &text : accelerators) {
        const std::optional<ParsedAccelerator> parsed = parseAccelerator(text);
        if (!parsed || parsed->otherModifiers || !(parsed->modifiers == modifiers))
            continue;
        const std::vector<int> keys = parsed->keysymName == aboveTab
            ? std::vector<int>{graveKey}
            : m_keysyms.keysForName(parsed->keysymName);
        const bool shared = std::any_of(keys.begin(), keys.end(), [&](int key) {
            return std::find(evdevCodes.begin(), evdevCodes.end(), key) != evdevCodes.end();
        });
        if (shared)
            return true;
    }
    return false;
}

std::map<QString, GnomeKeybindingStore::Custom> GnomeHotkeyBackend::wanted() const
{
    std::map<QString, GnomeKeybindingStore::Custom> bindings;
    for (const auto &[id, registration] : m_registrations) {
        const std::optional<QString> keysym = m_keysyms.nameForKey(registration.evdevCodes.front());
        if (!keysym)
            continue;
        for (const Command &command : m_commands(id)) {
            bindings[pathOf(command)] = {command.title, commandLine(m_program, command.arguments),
                                         accelerator(*keysym, registration.modifiers)};
        }
    }
    return bindings;
}

// Read, changed and written back at once, so that what GNOME Settings
// changed meanwhile stays; a list that could not be read is never written.
void GnomeHotkeyBackend::flush()
{
    m_flushScheduled = false;
    if (m_frozen || !m_commands)
        return;
    const std::optional<QStringList> paths = m_store->customPaths();
    if (!paths) {
        complainUnreadable();
        return;
    }
    const std::map<QString, GnomeKeybindingStore::Custom> bindings = wanted();
    QStringList list = *paths;
    for (const QString &path : *paths) {
        if (path.startsWith(pathPrefix) && !bindings.contains(path)) {
            list.removeAll(path);
            m_store->resetCustom(path);
        }
    }
    for (const auto &[path, binding] : bindings) {
        // The binding is complete before GNOME finds its path in the list.
        if (m_store->custom(path) != binding && !m_store->setCustom(path, binding))
            complainOnce(QStringLiteral("GNOME refused the shortcut ") + binding.binding);
        if (!list.contains(path))
            list.append(path);
    }
    if (list != *paths && !m_store->setCustomPaths(list))
        complainOnce(QStringLiteral("GNOME refused the list of custom keyboard shortcuts"));
}

void GnomeHotkeyBackend::freeze()
{
    if (m_frozen)
        return;
    flush();
    m_store->sync();
    m_frozen = true;
}

void GnomeHotkeyBackend::scheduleFlush()
{
    if (m_flushScheduled || m_frozen)
        return;
    m_flushScheduled = true;
    QTimer::singleShot(0, this, &GnomeHotkeyBackend::flush);
}

void GnomeHotkeyBackend::complainUnreadable()
{
    const QString reason = m_store->unreadableReason();
    complainOnce(reason.isEmpty() ? QStringLiteral("GNOME's custom keyboard shortcuts cannot be read") : reason);
}

void GnomeHotkeyBackend::complainOnce(const QString &message)
{
    if (std::exchange(m_complained, true))
        return;
    std::cerr << "quillet: " << message.toStdString() << "; Quillet's shortcuts are left as they are." << std::endl;
}

QString GnomeHotkeyBackend::accelerator(const QString &keysymName, KeyModifiers modifiers)
{
    QString text;
    if (modifiers.shift)
        text += QStringLiteral("<Shift>");
    if (modifiers.control)
        text += QStringLiteral("<Control>");
    if (modifiers.alt)
        text += QStringLiteral("<Alt>");
    if (modifiers.super)
        text += QStringLiteral("<Super>");
    return text + keysymName;
}

std::optional<GnomeHotkeyBackend::ParsedAccelerator> GnomeHotkeyBackend::parseAccelerator(const QString &text)
{
    ParsedAccelerator parsed;
    qsizetype at = 0;
    while (at < text.size() && text[at] == u'<') {
        const qsizetype end = text.indexOf(u'>', at);
        if (end < 0)
            return std::nullopt;
        const QString word = text.mid(at + 1, end - at - 1).toLower();
        if (word == u"shift")
            parsed.modifiers.shift = true;
        else if (word == u"control" || word == u"ctrl" || word == u"ctl" || word == u"primary")
            parsed.modifiers.control = true;
        else if (word == u"alt" || word == u"mod1")
            parsed.modifiers.alt = true;
        else if (word == u"super" || word == u"mod4")
            parsed.modifiers.super = true;
        else
            parsed.otherModifiers = true;
        at = end + 1;
    }
    parsed.keysymName = text.mid(at).trimmed();
    if (parsed.keysymName.isEmpty())
        return std::nullopt;
    return parsed;
}

QString GnomeHotkeyBackend::commandLine(const QString &program, const QStringList &arguments)
{
    QStringList words{quoted(program)};
    for (const QString &argument : arguments)
        words << quoted(argument);
    return words.join(u' ');
}

QString GnomeHotkeyBackend::pathOf(const Command &command)
{
    QString slug = command.arguments.join(u'-').toLower();
    slug.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    while (slug.startsWith(u'-'))
        slug.remove(0, 1);
    while (slug.endsWith(u'-'))
        slug.chop(1);
    return pathPrefix + slug + u'/';
}
