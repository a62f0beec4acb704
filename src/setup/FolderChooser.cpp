#include "setup/FolderChooser.h"

#include "app/AppSettings.h"

#include <QFileDialog>
#include <QPointer>

namespace FolderChooser {

std::optional<QString> chooseFolder(QWidget *parent, const QString &startIn)
{
    // On the heap: closing the parent window while the dialog runs deletes it.
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QObject::tr("Choose a Folder"), startIn);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, QObject::tr("Select"));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (!accepted || chosen.isEmpty() || chosen.constFirst().isEmpty())
        return std::nullopt;
    return chosen.constFirst();
}

void chooseSaveFolder(QWidget *parent, AppSettings &settings)
{
    if (const auto folder = chooseFolder(parent, settings.savePath()))
        settings.setSavePath(*folder);
}

} // namespace FolderChooser
