#pragma once

#include "app/ImageFormat.h"
#include "output/FileNamePromptPanel.h"

#include <QFuture>
#include <QImage>
#include <QString>

// The windows a finished scroll capture may open: the name prompt, the
// preview thumbnail, the failure alert and a passing notice. Kept behind
// this seam so that the service's flow can be followed without modal loops.
class ScrollCaptureOutputs
{
public:
    virtual ~ScrollCaptureOutputs() = default;

    // Always answers with a name and a format; the capture cannot be abandoned here.
    virtual QFuture<PromptResult> promptForFileName(const QString &defaultName, ImageFormat defaultFormat)
        = 0;
    virtual void showPreview(const QImage &image, const QString &filePath) = 0;
    // A warning that the user dismisses.
    virtual void showAlert(const QString &title, const QString &message) = 0;
    // One line that needs no answer and must not hold up the flow.
    virtual void showNotice(const QString &message) = 0;
};

// The shared name prompt and preview thumbnail; QMessageBox for the alert
// (modal, run once the failing flow has returned) and the notice (not modal).
class StandardScrollCaptureOutputs : public ScrollCaptureOutputs
{
public:
    QFuture<PromptResult> promptForFileName(const QString &defaultName, ImageFormat defaultFormat) override;
    void showPreview(const QImage &image, const QString &filePath) override;
    void showAlert(const QString &title, const QString &message) override;
    void showNotice(const QString &message) override;
};
