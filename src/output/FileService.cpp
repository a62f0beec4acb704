#include "output/FileService.h"

#include "app/AppSettings.h"
#include "output/FileNames.h"
#include "output/PendingFile.h"
#include "platform/SoundPlayer.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// Creates the folder and every missing parent; an existing folder is fine.
void createFolder(const QString &folder)
{
    // The OS would read the path only up to the NUL and create that folder instead.
    if (folder.contains(QChar(u'\0'))) {
        throw Error(QStringLiteral("The save folder is not a valid path."),
            QStringLiteral("The setting savePath contains a NUL character: %1")
                .arg(QString(folder).replace(QChar(u'\0'), QStringLiteral("\\0"))));
    }
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error) {
        throw Error(QStringLiteral("Could not create folder %1: %2")
                        .arg(folder, QString::fromLocal8Bit(error.message())));
    }
}

bool isImageSuffix(const QString &suffix)
{
    const QString lower = suffix.toLower();
    return lower == QLatin1String("png") || lower == QLatin1String("jpeg") || lower == QLatin1String("jpg");
}

// A date that cannot be read counts as the most distant past.
bool isNewer(const QFileInfo &candidate, const QFileInfo &than)
{
    const QDateTime date = candidate.lastModified();
    const QDateTime other = than.lastModified();
    return date.isValid() && (!other.isValid() || date > other);
}

} // namespace

FileService::FileService(SoundPlayer &sound, Clock clock, std::unique_ptr<ImageEncoder> encoder)
    : m_sound(sound)
    , m_clock(std::move(clock))
    , m_encoder(std::move(encoder))
{
}

FileService::~FileService() = default;

QString FileService::defaultFileName() const
{
    // "Ap" keeps the AM/PM text exactly as the user's locale writes it.
    return QStringLiteral("Screenshot ")
        + QLocale::system().toString(m_clock(), QStringLiteral("yyyy-MM-dd 'at' h.mm.ss Ap"));
}

QString FileService::save(const QImage &image, const AppSettings &settings)
{
    return save(image, defaultFileName(), settings.imageFormat(), settings);
}

QString FileService::save(
    const QImage &image, const QString &name, ImageFormat format, const AppSettings &settings)
{
    return store(name, format, settings, [&](QIODevice &device, QString &reason) {
        if (m_encoder->encode(image, format, settings.jpegQuality(), device))
            return true;
        reason = m_encoder->errorString();
        return false;
    });
}

void FileService::prepare(const QSize &size, const AppSettings &settings)
{
    m_encoder->prepare(size, settings.imageFormat());
}

QString FileService::saveEncoded(const QByteArray &png, const QString &name, const AppSettings &settings)
{
    return store(name, ImageFormat::png, settings,
        [&](QIODevice &device, QString &) { return device.write(png) == png.size(); });
}

QString FileService::store(const QString &name, ImageFormat format, const AppSettings &settings,
    const std::function<bool(QIODevice &, QString &reason)> &write)
{
    // A name must not reach outside the save folder ("../x") or be no name at all.
    const QString base = FileNames::sanitized(name).value_or(defaultFileName());
    // The folder is used verbatim: nothing expands a leading "~".
    const QString folder = settings.savePath().isEmpty() ? QStringLiteral(".") : settings.savePath();
    createFolder(folder);

    const std::unique_ptr<PendingFile> file = PendingFile::create(folder);
    const auto inFolder = [&folder](const QString &reason) { return folder + QStringLiteral(": ") + reason; };
    // The device's reason when the disk refused a write, else the writer's.
    if (QString reason; !write(file->device(), reason))
        throw FileErrorException(FileError::writeFailed, file->failed() ? inFolder(file->errorString()) : reason);
    if (!file->finish())
        throw FileErrorException(FileError::writeFailed, inFolder(file->errorString()));
    const QString target = publish(*file, folder, base, format);

    if (settings.playSound())
        m_sound.playCaptureSound();
    return target;
}

// Takes the first free name of "base.ext", "base (2).ext", … A name that
// appears while we look is skipped, never replaced.
QString FileService::publish(
    PendingFile &file, const QString &folder, const QString &base, ImageFormat format)
{
    const QString extension = ImageFormats::fileExtension(format);
    for (int counter = 1;; ++counter) {
        const QString candidate = QDir(folder).filePath(FileNames::candidate(base, extension, counter));
        switch (file.publishAs(candidate)) {
        case PendingFile::Publication::done:
            return QFileInfo(candidate).absoluteFilePath();
        case PendingFile::Publication::nameTaken:
            continue;
        case PendingFile::Publication::failed:
            throw FileErrorException(
                FileError::writeFailed, folder + QStringLiteral(": ") + file.errorString());
        }
    }
}

void FileService::copyImageToClipboard(const QImage &image)
{
    // One pixel per logical unit, so the clipboard reports the pixel size.
    QImage copy = image;
    copy.setDevicePixelRatio(1.0);
    QGuiApplication::clipboard()->setImage(copy);
}

std::optional<QString> FileService::mostRecentScreenshot(const QString &folder)
{
    const QFileInfoList children = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    std::optional<QFileInfo> newest;
    for (const QFileInfo &child : children) {
        if (!isImageSuffix(child.suffix()))
            continue;
        if (!newest || isNewer(child, *newest))
            newest = child;
    }
    if (!newest)
        return std::nullopt;
    return newest->absoluteFilePath();
}
