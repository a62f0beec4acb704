#pragma once

#include <QString>

#include <optional>

class AppSettings;
class QWidget;

// The folder dialog of the setup screens: folders only, one at a time, its
// confirm button reading "Select".
namespace FolderChooser {

// The chosen folder's path; none when the user cancels.
std::optional<QString> chooseFolder(QWidget *parent, const QString &startIn);

// Makes the chosen folder the save folder; cancelling changes nothing.
void chooseSaveFolder(QWidget *parent, AppSettings &settings);

} // namespace FolderChooser
