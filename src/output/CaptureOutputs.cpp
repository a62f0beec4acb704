#include "output/CaptureOutputs.h"

#include "output/CapturePreviewController.h"

#include <QMessageBox>

QFuture<PromptResult> StandardCaptureOutputs::promptForFileName(
    const QString &defaultName, ImageFormat defaultFormat)
{
    return FileNamePromptPanel::shared().prompt(defaultName, defaultFormat);
}

void StandardCaptureOutputs::showPreview(const QImage &image, const QString &filePath)
{
    CapturePreviewController::shared().show(image, QUrl::fromLocalFile(filePath));
}

void StandardCaptureOutputs::showAlert(const QString &title, const QString &text)
{
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Quillet"), title);
    alert.setInformativeText(text);
    alert.exec();
}

void StandardCaptureOutputs::showNotice(const QString &message)
{
    auto *notice = new QMessageBox(QMessageBox::Information, QStringLiteral("Quillet"), message);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setWindowModality(Qt::NonModal);
    notice->show();
}
