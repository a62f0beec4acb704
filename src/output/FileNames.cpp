#include "output/FileNames.h"

#include <QFile>
#include <QTextBoundaryFinder>

namespace FileNames {

namespace {

qsizetype encodedSize(const QString &text)
{
    return QFile::encodeName(text).size();
}

// The longest prefix of `text` that ends on a grapheme boundary and fits in
// `maxBytes` once encoded.
QString fittingPrefix(const QString &text, qsizetype maxBytes)
{
    if (encodedSize(text) <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    qsizetype bytes = 0;
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        bytes += encodedSize(text.mid(fits, at - fits));
        if (bytes > maxBytes)
            break;
        fits = at;
    }
    return text.left(fits);
}

} // namespace

std::optional<QString> sanitized(const QString &name)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('-'));
    safe.replace(QChar(u'\0'), QLatin1Char('-'));
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return std::nullopt;
    return safe;
}

QString candidate(const QString &base, const QString &extension, int counter)
{
    QString tail = QLatin1Char('.') + extension;
    if (counter >= 2)
        tail.prepend(QStringLiteral(" (%1)").arg(counter));
    return fittingPrefix(base, maxFileNameBytes - encodedSize(tail)) + tail;
}

} // namespace FileNames
