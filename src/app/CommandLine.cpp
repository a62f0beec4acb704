#include "app/CommandLine.h"

#include "app/CaptureKinds.h"

#include <QCommandLineParser>

namespace {

QString modeList()
{
    QStringList names;
    for (const CaptureKind &kind : captureKinds)
        names << QLatin1String(kind.rawValue);
    return names.join(u'|');
}

CommandLine refuse(const QString &reason)
{
    CommandLine line;
    line.action = CommandLine::Action::refuse;
    line.text = QStringLiteral("quillet: %1 (see quillet --help)").arg(reason);
    return line;
}

CommandLine answer(CommandLine::Action action, const QString &text)
{
    CommandLine line;
    line.action = action;
    line.text = text;
    return line;
}

struct Options
{
    QCommandLineOption help{
        {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Show the version and exit.")};
    QCommandLineOption capture{QStringLiteral("capture"),
        QStringLiteral("Take a capture of this kind: %1.").arg(modeList()), QStringLiteral("kind")};
    QCommandLineOption delay{QStringLiteral("delay"),
        QStringLiteral("With --capture: wait this many whole seconds, with a countdown, first."),
        QStringLiteral("seconds")};
    QCommandLineOption settings{QStringLiteral("settings"),
        QStringLiteral("Show the settings window (the welcome window until it was finished once).")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOptions({help, version, capture, delay, settings});
    }
};

QString description()
{
    return QStringLiteral(
        "Quillet lives in the system tray and takes screenshots: of a region, a scrolling "
        "page, the whole display or the front window.\nOne Quillet runs at a time: started "
        "again, it brings the running one's settings window forward; with --capture it asks "
        "the running Quillet to take one, starting Quillet first if none runs.");
}

// The capture and its delay, into `line`; the reason when they are wrong.
std::optional<QString> readCapture(
    const QCommandLineParser &parser, const Options &options, CommandLine &line)
{
    if (parser.isSet(options.capture)) {
        const QString kind = parser.value(options.capture);
        line.capture = CaptureModes::fromRawValue(kind);
        if (!line.capture)
            return QStringLiteral("unknown capture kind \"%1\"; use one of %2").arg(kind, modeList());
    }
    if (!parser.isSet(options.delay))
        return std::nullopt;
    if (!line.capture)
        return QStringLiteral("--delay needs --capture");
    bool ok = false;
    line.delaySeconds = parser.value(options.delay).toInt(&ok);
    if (!ok || line.delaySeconds < 0 || line.delaySeconds > maxCaptureDelaySeconds)
        return QStringLiteral("the delay must be a whole number of seconds from 0 to %1, not \"%2\"")
            .arg(maxCaptureDelaySeconds)
            .arg(parser.value(options.delay));
    return std::nullopt;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const Options options;
    options.addTo(parser);
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(options.help))
        return answer(Action::help, parser.helpText());
    if (parser.isSet(options.version))
        return answer(Action::version, QStringLiteral("quillet " QUILLET_VERSION));

    CommandLine line;
    if (const std::optional<QString> wrong = readCapture(parser, options, line))
        return refuse(*wrong);
    line.settings = parser.isSet(options.settings);
    if (line.settings && line.capture)
        return refuse(QStringLiteral("--settings and --capture cannot be used together"));
    return line;
}
