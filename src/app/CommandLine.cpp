#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

// Long enough for any set-up a user does before a capture; a longer wait is
// almost surely a typing slip (a delay in milliseconds).
constexpr int maxDelaySeconds = 60;

QString modeList()
{
    QStringList names;
    for (CaptureMode mode : CaptureModes::allCases)
        names << CaptureModes::rawValue(mode);
    return names.join(u'|');
}

CommandLine refuse(const QString &reason)
{
    CommandLine line;
    line.action = CommandLine::Action::refuse;
    line.text = QStringLiteral("quillet: %1 (see quillet --help)").arg(reason);
    return line;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillet lives in the system tray and takes screenshots: of a region, a scrolling "
                       "page, the whole display or the front window.\nWith --capture it asks the running "
                       "Quillet to take one, starting Quillet first if none runs."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption captureOption(QStringLiteral("capture"),
        QStringLiteral("Take a capture of this kind: %1.").arg(modeList()), QStringLiteral("kind"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
        QStringLiteral("With --capture: wait this many whole seconds, with a countdown, first."),
        QStringLiteral("seconds"));
    parser.addOptions({helpOption, versionOption, captureOption, delayOption});

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    CommandLine line;
    if (parser.isSet(helpOption)) {
        line.action = Action::help;
        line.text = parser.helpText();
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.action = Action::version;
        line.text = QStringLiteral("quillet " QUILLET_VERSION);
        return line;
    }
    if (parser.isSet(captureOption)) {
        const QString kind = parser.value(captureOption);
        line.capture = CaptureModes::fromRawValue(kind);
        if (!line.capture)
            return refuse(QStringLiteral("unknown capture kind \"%1\"; use one of %2").arg(kind, modeList()));
    }
    if (parser.isSet(delayOption)) {
        if (!line.capture)
            return refuse(QStringLiteral("--delay needs --capture"));
        bool ok = false;
        line.delaySeconds = parser.value(delayOption).toInt(&ok);
        if (!ok || line.delaySeconds < 0 || line.delaySeconds > maxDelaySeconds)
            return refuse(QStringLiteral("the delay must be a whole number of seconds from 0 to 60, not \"%1\"")
                              .arg(parser.value(delayOption)));
    }
    return line;
}
