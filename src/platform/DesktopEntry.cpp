#include "platform/DesktopEntry.h"

#include <QList>

namespace DesktopEntry {

namespace {

bool expressible(const QString &program)
{
    if (program.isEmpty())
        return false;
    for (const QChar c : program) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
        if (c == u'%' || (control && c != u'\t' && c != u'\n' && c != u'\r'))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> execArgument(const QString &program)
{
    if (!expressible(program))
        return std::nullopt;
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // The string rule applies to the quoted text as a whole.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\t', QStringLiteral("\\t"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    quoted.replace(u'\r', QStringLiteral("\\r"));
    return u'"' + quoted + u'"';
}

std::optional<QHash<QString, QString>> readGroup(const QByteArray &text, const QString &group)
{
    QHash<QString, QString> keys;
    bool inGroup = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inGroup = line.mid(1, line.size() - 2) == group;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            return std::nullopt;
        if (inGroup)
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

} // namespace DesktopEntry
