#pragma once

#include "app/ImageFormat.h"
#include "output/FileNamePromptPanel.h"

#include <QFuture>
#include <QImage>
#include <QString>

// The windows a finished capture may open: the name prompt, the preview
// thumbnail, the failure alert and a passing notice. Kept behind this seam
// so that the capture flows can be followed without modal loops.
class CaptureOutputs
{
public:
    virtual ~CaptureOutputs() = default;

    // Always answers with a name and a format; the capture cannot be abandoned here.
    virtual QFuture<PromptResult> promptForFileName(const QString &defaultName, ImageFormat defaultFormat)
        = 0;
    virtual void showPreview(const QImage &image, const QString &filePath) = 0;
    // A warning headed `title` that the user dismisses; returns once dismissed.
    virtual void showAlert(const QString &title, const QString &text) = 0;
    // One line that needs no answer and must not hold up the flow.
    virtual void showNotice(const QString &message) = 0;
};

// The shared name prompt and preview thumbnail; QMessageBox for the alert
// (modal) and the notice (not modal).
class StandardCaptureOutputs : public CaptureOutputs
{
public:
    QFuture<PromptResult> promptForFileName(const QString &defaultName, ImageFormat defaultFormat) override;
    void showPreview(const QImage &image, const QString &filePath) override;
    void showAlert(const QString &title, const QString &text) override;
    void showNotice(const QString &message) override;
};
