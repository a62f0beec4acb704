#pragma once

#include "app/ImageFormat.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QString>

#include <optional>

class AppSettings;
class CaptureOutputs;
class FileService;
class Error;
struct PromptResult;

// What becomes of a finished capture: the name prompt when the settings ask
// for it, the file, then the clipboard copy and the preview thumbnail as the
// settings say. Every capture flow ends here, so each setting is honoured the
// same way everywhere. Main thread.
class CaptureOutputPipeline : public QObject
{
    Q_OBJECT

public:
    // JPEG stores each side in 16 bits, and encoders stop short of that.
    static constexpr int MaximumJpegHeight = 65500;

    // All three must outlive the pipeline.
    CaptureOutputPipeline(
        FileService &fileService, AppSettings &settings, CaptureOutputs &outputs, QObject *parent = nullptr);

    // Runs the steps for `image`. Each setting is read at the step that uses
    // it, so a change made while the prompt is open applies to this capture.
    // Finishes with the written file's path, or with the Error of a failed
    // save, after which nothing is copied or shown. With `png`, the picture
    // as the desktop encoded it, `image` may be null: a PNG file is then
    // those bytes, and the pixels are decoded only for what needs them.
    QFuture<QString> run(const QImage &image, const QByteArray &png = {});

    // A capture of about `size` is coming soon (its key is down).
    void prepare(const QSize &size);

    // The one alert of a failed flow, headed `title`; returns once dismissed.
    void showAlert(const QString &title, const Error &error);
    // The same alert in a task of its own, once the caller has returned, so
    // that the flow that failed never waits for the user.
    void reportFailure(const QString &title, const Error &error);

private:
    QString save(QImage image, QByteArray png, const std::optional<PromptResult> &choice);
    void finishOutputs(const QImage &image, const QString &path);

    FileService &m_fileService;
    AppSettings &m_settings;
    CaptureOutputs &m_outputs;
};
