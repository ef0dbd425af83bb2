// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folder_picker_dialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>

#include "core/constants.h"
#include "ui/dialog_frame.h"
#include "ui/message_boxes.h"
#include "ui/new_folder_dialog.h"
#include "ui/object_names.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentStep = 12;  // pixels per level: enough to read the tree at a glance
constexpr QSize kDesignSize(313, 411);

// Draws each line indented by its depth below the drive's root.
class IndentDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem shifted(option);
    shifted.rect.setLeft(option.rect.left() + indent(index));
    QStyledItemDelegate::paint(painter, shifted, index);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width() + indent(index), size.height()};
  }

 private:
  static int indent(const QModelIndex& index) {
    return index.data(kDepthRole).toInt() * kIndentStep;
  }
};

QIcon driveIcon(const QStyle* style, DriveKind kind) {
  switch (kind) {
    case DriveKind::Root:
      return style->standardIcon(QStyle::SP_ComputerIcon);
    case DriveKind::Home:
      return style->standardIcon(QStyle::SP_DirHomeIcon);
    case DriveKind::Removable:
      return style->standardIcon(QStyle::SP_DriveFDIcon);
    case DriveKind::Network:
      return style->standardIcon(QStyle::SP_DriveNetIcon);
    case DriveKind::Optical:
      return style->standardIcon(QStyle::SP_DriveCDIcon);
    case DriveKind::Fixed:
      break;
  }
  return style->standardIcon(QStyle::SP_DriveHDIcon);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAccessibleName(QString(caption).remove('&'));
  // No default button: Enter in the list walks, it never closes.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

FolderPickerDialog::FolderPickerDialog(std::string homeFolder, QWidget* parent)
    : QDialog(parent),
      ownFolders_(makeSystemFolders()),
      ownDrives_(makeSystemDriveSource(homeFolder)),
      drives_(ownDrives_.get()) {
  build(*ownFolders_, std::move(homeFolder));
}

FolderPickerDialog::FolderPickerDialog(Folders& folders, DriveSource& drives,
                                       std::string homeFolder, QWidget* parent)
    : QDialog(parent), drives_(&drives) {
  build(folders, std::move(homeFolder));
}

FolderPickerDialog::~FolderPickerDialog() = default;

void FolderPickerDialog::build(Folders& folders, std::string homeFolder) {
  lister_ = std::make_unique<FolderLister>(folders, std::move(homeFolder));
  setObjectName(objectNames::kTFolderListerDlg);
  setWindowFlags(kDialogFrame | Qt::WindowContextHelpButtonHint);

  frame_ = new QFrame(this);
  frame_->setObjectName(objectNames::kBevel1);
  frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);

  driveBox_ = new QComboBox(this);
  driveBox_->setObjectName(objectNames::kDriveComboBox1);
  driveBox_->setAccessibleName("Drive");
  // The style's pictures come in several sizes; one size keeps the lines even.
  driveBox_->setIconSize(QSize(16, 16));

  folderList_ = new QListWidget(this);
  folderList_->setObjectName(objectNames::kDirectoryListBox1);
  folderList_->setAccessibleName("Folders");
  folderList_->setItemDelegate(new IndentDelegate(folderList_));
  folderList_->setUniformItemSizes(true);
  folderList_->setIconSize(QSize(16, 16));
  folderList_->setSelectionMode(QAbstractItemView::SingleSelection);
  folderList_->installEventFilter(this);

  newFolderButton_ = makeButton(this, objectNames::kNewFolderButton, "New Folder");
  okButton_ = makeButton(this, objectNames::kOKBtn, "OK");
  cancelButton_ = makeButton(this, objectNames::kCancelBtn, "Cancel");

  // The design's spacing (client 313 by 411): the drive selector over the
  // folder list in their frame; "New Folder" at the left below them, OK
  // and Cancel at the right, where they stay when "New Folder" is hidden.
  auto* inFrame = new QVBoxLayout(frame_);
  inFrame->setContentsMargins(8, 8, 9, 8);
  inFrame->setSpacing(0);
  inFrame->addWidget(driveBox_);
  inFrame->addWidget(folderList_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(8, 0, 9, 0);
  buttons->setSpacing(12);
  buttons->addWidget(newFolderButton_);
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(8, 8, 8, 9);
  window->setSpacing(8);
  window->addWidget(frame_, 1);
  window->addLayout(buttons);
  // "New Folder" keeps its room when hidden, so the window is as wide for
  // either caption's buttons.
  QSizePolicy keepRoom = newFolderButton_->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  newFolderButton_->setSizePolicy(keepRoom);
  fitDialog(this, kDesignSize);

  setTabOrder(driveBox_, folderList_);
  setTabOrder(folderList_, newFolderButton_);
  setTabOrder(newFolderButton_, okButton_);
  setTabOrder(okButton_, cancelButton_);

  connect(driveBox_, qOverload<int>(&QComboBox::activated), this, &FolderPickerDialog::showDrive);
  connect(folderList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { openLine(folderList_->row(item)); });
  connect(newFolderButton_, &QPushButton::clicked, this, &FolderPickerDialog::makeNewFolder);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  showError_ = [this](const Error& error) {
    qtMessageBoxes().error(this, shownText(kAppTitle), shownText(error.boxTextWithSubject()));
  };
}

std::optional<std::string> FolderPickerDialog::pick(FolderPickerFor which, std::string_view boxText,
                                                    std::string_view baseFolder) {
  const PickerFace face = pickerFace(which);
  setWindowTitle(QString::fromStdString(face.caption));
  newFolderButton_->setVisible(face.newFolderShown);
  fitDialog(this, kDesignSize);
  // Gathered at each opening, so that a volume mounted since is offered.
  lister_->setDrives(drives_->drives());
  lister_->openOn(boxText, baseFolder);
  showDrives();
  showLines();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return lister_->currentFolder();
}

void FolderPickerDialog::setNewFolderDialog(NewFolderDialog* dialog) {
  newFolderDialog_ = dialog;
}

void FolderPickerDialog::setErrorShower(ErrorShower shower) {
  showError_ = std::move(shower);
}

void FolderPickerDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centreOnScreen(this);
  driveBox_->setFocus();
}

void FolderPickerDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter presses the button that has the focus, and nothing else.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool FolderPickerDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == folderList_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openLine(folderList_->currentRow());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FolderPickerDialog::showDrive(int index) {
  if (index >= 0) guarded([&] { lister_->selectDrive(static_cast<std::size_t>(index)); });
  showDrives();  // back on the list's drive should the choice have failed
  showLines();
}

void FolderPickerDialog::openLine(int row) {
  if (row < 0) return;
  guarded([&] { lister_->openLine(static_cast<std::size_t>(row)); });
  showDrives();
  showLines();
}

void FolderPickerDialog::makeNewFolder() {
  if (newFolderDialog_ == nullptr || newFolderDialog_->exec() != QDialog::Accepted) return;
  const std::string name = newFolderDialog_->newName();
  guarded([&] { lister_->makeAndEnter(name); });
  showDrives();
  showLines();
}

void FolderPickerDialog::guarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& error) {
    showError_(error);
  }
}

void FolderPickerDialog::showDrives() {
  const QSignalBlocker blocker(driveBox_);
  if (shownDrives_ != lister_->drives()) {
    shownDrives_ = lister_->drives();
    driveBox_->clear();
    for (const Drive& drive : shownDrives_) {
      driveBox_->addItem(driveIcon(style(), drive.kind), shownText(driveCaption(drive)));
    }
  }
  driveBox_->setCurrentIndex(static_cast<int>(lister_->currentDrive()));
}

void FolderPickerDialog::showLines() {
  const QStyle* s = style();
  const QIcon open = s->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = s->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon root = driveIcon(s, lister_->drives()[lister_->currentDrive()].kind);
  QFont currentFont = folderList_->font();
  currentFont.setBold(true);

  folderList_->setUpdatesEnabled(false);
  folderList_->clear();
  const std::vector<FolderLine>& lines = lister_->lines();
  for (const FolderLine& line : lines) {
    auto* item = new QListWidgetItem(line.depth == 0                            ? root
                                     : line.kind == FolderLine::Kind::Subfolder ? closed
                                                                                : open,
                                     shownText(line.text));
    item->setData(kDepthRole, line.depth);
    if (line.kind == FolderLine::Kind::Current) item->setFont(currentFont);
    folderList_->addItem(item);
  }
  const int current = static_cast<int>(lister_->currentLine());
  folderList_->setCurrentRow(current);
  // The path down from the root stays in sight above the current line.
  folderList_->scrollToTop();
  folderList_->scrollToItem(folderList_->item(current));
  folderList_->setUpdatesEnabled(true);
}

}  // namespace clipquill

#include "folder_picker_dialog.moc"
