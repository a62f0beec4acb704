#include "output/CaptureOutputPipeline.h"

#include "app/AppSettings.h"
#include "output/CaptureOutputs.h"
#include "output/FileService.h"
#include "platform/Error.h"

#include <QPromise>
#include <QTimer>

CaptureOutputPipeline::CaptureOutputPipeline(
    FileService &fileService, AppSettings &settings, CaptureOutputs &outputs, QObject *parent)
    : QObject(parent)
    , m_fileService(fileService)
    , m_settings(settings)
    , m_outputs(outputs)
{
}

QFuture<QString> CaptureOutputPipeline::run(const QImage &image)
{
    if (m_settings.promptForFileName()) {
        // The time stamp of this moment, not of the moment the user answers.
        const QString defaultName = m_fileService.defaultFileName();
        return m_outputs.promptForFileName(defaultName, m_settings.imageFormat())
            .then(this, [this, image](const PromptResult &choice) { return save(image, choice); });
    }
    QPromise<QString> saved;
    saved.start();
    try {
        saved.addResult(save(image, std::nullopt));
    } catch (...) {
        saved.setException(std::current_exception());
    }
    saved.finish();
    return saved.future();
}

QString CaptureOutputPipeline::save(const QImage &image, const std::optional<PromptResult> &choice)
{
    const ImageFormat chosen = choice ? choice->format : m_settings.imageFormat();
    // A JPEG cannot be that tall: rather than lose the capture, write a PNG.
    const bool tooTallForJpeg = chosen == ImageFormat::jpeg && image.height() > MaximumJpegHeight;
    QString path;
    if (choice || tooTallForJpeg) {
        const QString name = choice ? choice->name : m_fileService.defaultFileName();
        path = m_fileService.save(image, name, tooTallForJpeg ? ImageFormat::png : chosen, m_settings);
    } else {
        path = m_fileService.save(image, m_settings);
    }
    if (m_settings.copyToClipboard())
        m_fileService.copyImageToClipboard(image);
    if (m_settings.showPreviewThumbnail())
        m_outputs.showPreview(image, path);
    if (tooTallForJpeg) {
        m_outputs.showNotice(
            QStringLiteral("Saved as PNG: at %1 pixels the image is too tall for JPEG.").arg(image.height()));
    }
    return path;
}

void CaptureOutputPipeline::showAlert(const QString &title, const Error &error)
{
    m_outputs.showAlert(title, error.alertText());
}

void CaptureOutputPipeline::reportFailure(const QString &title, const Error &error)
{
    QTimer::singleShot(0, this, [this, title, error] { showAlert(title, error); });
}
