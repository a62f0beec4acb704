#include "capture/ScrollCaptureOutputs.h"

#include "output/CapturePreviewController.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

QFuture<PromptResult> StandardScrollCaptureOutputs::promptForFileName(
    const QString &defaultName, ImageFormat defaultFormat)
{
    return FileNamePromptPanel::shared().prompt(defaultName, defaultFormat);
}

void StandardScrollCaptureOutputs::showPreview(const QImage &image, const QString &filePath)
{
    CapturePreviewController::shared().show(image, QUrl::fromLocalFile(filePath));
}

void StandardScrollCaptureOutputs::showAlert(const QString &title, const QString &message)
{
    // The modal loop starts after the caller has returned, so the flow
    // that failed never waits for the user.
    // The heading goes in the alert itself: without a window manager no
    // title bar shows it.
    QTimer::singleShot(0, qApp, [title, message] {
        QMessageBox alert(QMessageBox::Warning, QStringLiteral("Quillet"), title);
        alert.setInformativeText(message);
        alert.exec();
    });
}

void StandardScrollCaptureOutputs::showNotice(const QString &message)
{
    auto *notice = new QMessageBox(QMessageBox::Information, QStringLiteral("Quillet"), message);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setWindowModality(Qt::NonModal);
    notice->show();
}
