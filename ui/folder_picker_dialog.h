// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker, FolderPickerDialog: a drive selector and a folder list
// drawn from FolderLister, which holds every rule. A single click only
// highlights a line; a double-click or Enter walks to it; "OK" returns the
// folder the list stands in, never a line merely highlighted.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "core/error.h"
#include "ui/platform/drives.h"
#include "ui/platform/folder_lister.h"

class QComboBox;
class QFrame;
class QListWidget;
class QPushButton;

namespace clipquill {

class NewFolderDialog;

class FolderPickerDialog : public QDialog {
  Q_OBJECT

 public:
  using ErrorShower = std::function<void(const Error&)>;

  // On this system's file system and drives; homeFolder stands for the
  // empty box's folder.
  explicit FolderPickerDialog(std::string homeFolder, QWidget* parent = nullptr);
  // On the file system and drives given, which must outlive the dialog.
  FolderPickerDialog(Folders& folders, DriveSource& drives, std::string homeFolder,
                     QWidget* parent = nullptr);
  ~FolderPickerDialog() override;

  // The whole opening: caption and "New Folder" for which, the list on the
  // folder boxText names (relative to baseFolder; the home folder for an
  // empty box), the drive selector on its drive, the modal showing. The
  // folder shown when closed with OK, nothing otherwise. Raises Error,
  // without showing, when the box's folder cannot be entered.
  std::optional<std::string> pick(FolderPickerFor which, std::string_view boxText,
                                  std::string_view baseFolder);

  // The dialog "New Folder" asks for a name with; without one the button
  // does nothing.
  void setNewFolderDialog(NewFolderDialog* dialog);
  // How errors met while the picker is open are shown; by default a box
  // captioned "Clipquill" with the error icon.
  void setErrorShower(ErrorShower shower);

  const FolderLister& lister() const { return *lister_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QFrame* frame_;
  QComboBox* driveBox_;
  QListWidget* folderList_;
  QPushButton* newFolderButton_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;

  void build(Folders& folders, std::string homeFolder);
  void showDrive(int index);
  void openLine(int row);
  void makeNewFolder();
  // Runs a step of the open picker; an error goes to the error shower.
  void guarded(const std::function<void()>& step);
  void showDrives();
  void showLines();

  std::unique_ptr<Folders> ownFolders_;
  std::unique_ptr<DriveSource> ownDrives_;
  DriveSource* drives_;
  std::unique_ptr<FolderLister> lister_;
  std::vector<Drive> shownDrives_;
  NewFolderDialog* newFolderDialog_ = nullptr;
  ErrorShower showError_;
};

}  // namespace clipquill
