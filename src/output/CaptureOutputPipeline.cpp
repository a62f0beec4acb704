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

namespace {

QImage decoded(const QByteArray &png)
{
    QImage image = QImage::fromData(png, "PNG");
    if (image.isNull())
        throw Error(QStringLiteral("Could not read the screen: the desktop's picture is not a PNG image"));
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

void CaptureOutputPipeline::prepare(const QSize &size)
{
    m_fileService.prepare(size, m_settings);
}

QFuture<QString> CaptureOutputPipeline::run(const QImage &image, const QByteArray &png)
{
    if (m_settings.promptForFileName()) {
        // The time stamp of this moment, not of the moment the user answers.
        const QString defaultName = m_fileService.defaultFileName();
        return m_outputs.promptForFileName(defaultName, m_settings.imageFormat())
            .then(this, [this, image, png](const PromptResult &choice) { return save(image, png, choice); });
    }
    QPromise<QString> saved;
    saved.start();
    try {
        saved.addResult(save(image, png, std::nullopt));
    } catch (...) {
        saved.setException(std::current_exception());
    }
    saved.finish();
    return saved.future();
}

QString CaptureOutputPipeline::save(QImage image, QByteArray png, const std::optional<PromptResult> &choice)
{
    const ImageFormat chosen = choice ? choice->format : m_settings.imageFormat();
    const QString name = choice ? choice->name : m_fileService.defaultFileName();
    // The file first: the pixels are decoded only for a JPEG or for the
    // clipboard and the preview, once the capture is safe on disk.
    if (!png.isEmpty() && chosen == ImageFormat::png) {
        const QString path = m_fileService.saveEncoded(png, name, m_settings);
        if (m_settings.copyToClipboard() || m_settings.showPreviewThumbnail())
            finishOutputs(decoded(png), path);
        return path;
    }
    if (!png.isEmpty())
        image = decoded(png);
    // A JPEG cannot be that tall: rather than lose the capture, write a PNG.
    const bool tooTallForJpeg = chosen == ImageFormat::jpeg && image.height() > MaximumJpegHeight;
    const QString path = m_fileService.save(image, name, tooTallForJpeg ? ImageFormat::png : chosen, m_settings);
    finishOutputs(image, path);
    if (tooTallForJpeg) {
        m_outputs.showNotice(
            QStringLiteral("Saved as PNG: at %1 pixels the image is too tall for JPEG.").arg(image.height()));
    }
    return path;
}

void CaptureOutputPipeline::finishOutputs(const QImage &image, const QString &path)
{
    if (m_settings.copyToClipboard())
        m_fileService.copyImageToClipboard(image);
    if (m_settings.showPreviewThumbnail())
        m_outputs.showPreview(image, path);
}

void CaptureOutputPipeline::showAlert(const QString &title, const Error &error)
{
    m_outputs.showAlert(title, error.alertText());
}

void CaptureOutputPipeline::reportFailure(const QString &title, const Error &error)
{
    QTimer::singleShot(0, this, [this, title, error] { showAlert(title, error); });
}
