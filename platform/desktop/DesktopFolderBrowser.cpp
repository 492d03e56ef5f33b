#include "platform/desktop/DesktopFolderBrowser.h"

#include <QFile>
#include <QFileDialog>

#include "platform/files/DesktopFolder.h"

namespace platform {

std::string DesktopFolderBrowser::Browse(const FolderBrowseRequest& request) {
  std::string start = request.initialSelection ? request.initialSelection() : std::string();
  if (start.empty()) start = DesktopFolder();

  QFileDialog dialog;
  dialog.setWindowTitle(QString::fromUtf8(request.title));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, !request.includeFiles);
  dialog.setDirectory(QFile::decodeName(start.c_str()));
  // No other window of the program takes input while the dialog is up.
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  return QFile::encodeName(chosen.front()).toStdString();
}

}  // namespace platform
