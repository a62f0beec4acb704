#pragma once

#include "app/ImageFormat.h"
#include "output/FileError.h"
#include "output/ImageEncoder.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class PendingFile;
class SoundPlayer;

// Turns a captured image into a file in the save folder, and the other
// output actions that follow a capture: the confirmation sound, the
// clipboard copy and the search for the newest screenshot.
//
// Keeps no state between calls: each save reads the settings it is given,
// so a changed setting applies from the next capture on.
class FileService
{
public:
    using Clock = std::function<QDateTime()>;

    explicit FileService(
        SoundPlayer &sound, Clock clock = [] { return QDateTime::currentDateTime(); },
        std::unique_ptr<ImageEncoder> encoder = std::make_unique<StandardImageEncoder>());
    ~FileService();
    FileService(const FileService &) = delete;
    FileService &operator=(const FileService &) = delete;

    // "Screenshot " and the current local date and time, without extension.
    QString defaultFileName() const;

    // Saves under the default name in the configured format. Returns the
    // absolute path of the written file; throws Error (FileErrorException
    // for the encoder's failures).
    QString save(const QImage &image, const AppSettings &settings);
    // Saves under `name` (made safe to use as one file name) in `format`.
    QString save(const QImage &image, const QString &name, ImageFormat format, const AppSettings &settings);
    // Saves a picture already encoded as PNG under `name`, byte for byte.
    QString saveEncoded(const QByteArray &png, const QString &name, const AppSettings &settings);

    // A capture of about `size` is coming soon: the encoder readies itself.
    void prepare(const QSize &size, const AppSettings &settings);

    // Replaces the clipboard's contents with the image, at its pixel size.
    void copyImageToClipboard(const QImage &image);

    // The most recently modified PNG or JPEG file directly in `folder`,
    // hidden files aside; nothing when there is none or the folder cannot
    // be listed.
    static std::optional<QString> mostRecentScreenshot(const QString &folder);

private:
    // Writes the file through `write` (false when it failed, for the reason
    // of the disk or the one it returns), then gives it its name and plays
    // the sound.
    QString store(const QString &name, ImageFormat format, const AppSettings &settings,
        const std::function<bool(QIODevice &, QString &reason)> &write);
    QString publish(PendingFile &file, const QString &folder, const QString &base, ImageFormat format);

    SoundPlayer &m_sound;
    Clock m_clock;
    std::unique_ptr<ImageEncoder> m_encoder;
};
