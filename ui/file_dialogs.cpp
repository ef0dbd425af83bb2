// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>
#include <array>

#include "check/script_check.h"
#include "persist/path_rules.h"
#include "ui/platform_paths.h"

namespace clipquill {

namespace {

QStringList nameFilters(const std::array<FileType, 4>& types) {
  QStringList filters;
  for (const FileType& type : types)
    filters << QString::fromLatin1(type.label.data(), static_cast<qsizetype>(type.label.size()));
  return filters;
}

// The type first, then the preset name once the dialog is up: choosing a
// type, which the dialog does again as it shows, gives the name in its box
// that type's extension, and the preset is to stand as it is.
std::optional<FileChoice> runFileDialog(QFileDialog& dialog, const QStringList& filters,
                                        int typeIndex, const std::string& folder,
                                        std::string_view presetName = {}) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!folder.empty()) dialog.setDirectory(pathText(folder));
  dialog.setNameFilters(filters);
  if (typeIndex >= 1 && typeIndex <= filters.size())
    dialog.selectNameFilter(filters[typeIndex - 1]);
  if (!presetName.empty()) {
    const QString preset = pathText(presetName);
    dialog.selectFile(preset);
    QTimer::singleShot(0, &dialog, [&dialog, preset] {
      dialog.selectFile(preset);
      // The name is a proposal: selected, so that typing replaces it.
      if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setFocus();
        name->selectAll();
      }
    });
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  return FileChoice{pathBytes(dialog.selectedFiles().front()), chosen < 0 ? typeIndex : chosen + 1};
}

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<FileChoice> open(QWidget* parent, int typeIndex,
                                 const std::string& folder) override {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet is a new template to start.
    dialog.setFileMode(QFileDialog::AnyFile);
    return runFileDialog(dialog, nameFilters(kOpenFileTypes), typeIndex, folder);
  }
  std::optional<FileChoice> save(QWidget* parent, std::string_view presetName, int typeIndex,
                                 const std::string& folder) override {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks about an existing file itself, after the extension rule.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return runFileDialog(dialog, nameFilters(kSaveFileTypes), typeIndex, folder, presetName);
  }
  std::optional<std::string> library(QWidget* parent, std::string_view current) override {
    QFileDialog dialog(parent, QStringLiteral("AviSynth+ Library"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(
        {QStringLiteral("AviSynth+ library (%1)").arg(QLatin1String(avisynthLibraryPattern())),
         QStringLiteral("All files (*)")});
    if (!current.empty()) {
      dialog.selectFile(pathText(current));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return pathBytes(dialog.selectedFiles().front());
  }
};

}  // namespace

FileDialogs& qtFileDialogs() {
  static QtFileDialogs dialogs;
  return dialogs;
}

}  // namespace clipquill
