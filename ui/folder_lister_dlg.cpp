// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folder_lister_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>

#include "core/constants.h"
#include "ui/main_form.h"
#include "ui/new_folder_dlg.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentStep = 12;  // pixels per level: enough to read the tree at a glance

// Draws each line indented by its depth below the drive's root.
class IndentDelegate : public QStyledItemDelegate {
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

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int x, int y) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAccessibleName(QString(caption).remove('&'));
  button->setGeometry(x, y, 75, 25);
  // No default button: Enter in the list walks, it never closes.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFolderListerDlg::TFolderListerDlg(std::string homeFolder, QWidget* parent)
    : QDialog(parent),
      ownFolders_(makeSystemPickerFolders()),
      ownDrives_(makeSystemDriveSource(homeFolder)),
      drives_(ownDrives_.get()) {
  build(*ownFolders_, std::move(homeFolder));
}

TFolderListerDlg::TFolderListerDlg(PickerFolders& folders, DriveSource& drives,
                                   std::string homeFolder, QWidget* parent)
    : QDialog(parent), drives_(&drives) {
  build(folders, std::move(homeFolder));
}

TFolderListerDlg::~TFolderListerDlg() = default;

void TFolderListerDlg::build(PickerFolders& folders, std::string homeFolder) {
  lister_ = std::make_unique<FolderLister>(folders, std::move(homeFolder));
  setObjectName("TFolderListerDlg");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowContextHelpButtonHint);
  setFixedSize(313, 411);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 297, 361);

  DriveComboBox1 = new QComboBox(this);
  DriveComboBox1->setObjectName("DriveComboBox1");
  DriveComboBox1->setAccessibleName("Drive");
  DriveComboBox1->setGeometry(16, 16, 280, 24);
  // The style's pictures come in several sizes; one size keeps the lines even.
  DriveComboBox1->setIconSize(QSize(16, 16));

  DirectoryListBox1 = new QListWidget(this);
  DirectoryListBox1->setObjectName("DirectoryListBox1");
  DirectoryListBox1->setAccessibleName("Folders");
  DirectoryListBox1->setGeometry(16, 40, 280, 321);
  DirectoryListBox1->setItemDelegate(new IndentDelegate(DirectoryListBox1));
  DirectoryListBox1->setUniformItemSizes(true);
  DirectoryListBox1->setIconSize(QSize(16, 16));
  DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  DirectoryListBox1->installEventFilter(this);

  NewFolderButton = makeButton(this, "NewFolderButton", "New Folder", 16, 377);
  OKBtn = makeButton(this, "OKBtn", "OK", 134, 377);
  CancelBtn = makeButton(this, "CancelBtn", "Cancel", 221, 377);

  setTabOrder(DriveComboBox1, DirectoryListBox1);
  setTabOrder(DirectoryListBox1, NewFolderButton);
  setTabOrder(NewFolderButton, OKBtn);
  setTabOrder(OKBtn, CancelBtn);

  connect(DriveComboBox1, qOverload<int>(&QComboBox::activated), this,
          &TFolderListerDlg::DriveComboBox1Change);
  connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { DirectoryListBox1Open(DirectoryListBox1->row(item)); });
  connect(NewFolderButton, &QPushButton::clicked, this, &TFolderListerDlg::NewFolderButtonClick);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  showError_ = [this](const Error& error) {
    qtMessageBoxes().error(this, shownText(kAppTitle), shownText(error.boxText()));
  };
}

std::optional<std::string> TFolderListerDlg::pick(FolderPickerFor which, std::string_view boxText,
                                                  std::string_view baseFolder) {
  const PickerFace face = pickerFace(which);
  setWindowTitle(QString::fromStdString(face.caption));
  NewFolderButton->setVisible(face.newFolderShown);
  // Gathered at each opening, so that a volume mounted since is offered.
  lister_->setDrives(drives_->drives());
  lister_->openOn(boxText, baseFolder);
  showDrives();
  showLines();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return lister_->currentFolder();
}

void TFolderListerDlg::setNewFolderDlg(TNewFolderDlg* dialog) {
  newFolderDlg_ = dialog;
}

void TFolderListerDlg::setErrorShower(ErrorShower shower) {
  showError_ = std::move(shower);
}

void TFolderListerDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centreOnScreen(this);
  DriveComboBox1->setFocus();
}

void TFolderListerDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter presses the button that has the focus, and nothing else.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TFolderListerDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DirectoryListBox1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      DirectoryListBox1Open(DirectoryListBox1->currentRow());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFolderListerDlg::DriveComboBox1Change(int index) {
  if (index >= 0) guarded([&] { lister_->selectDrive(static_cast<std::size_t>(index)); });
  showDrives();  // back on the list's drive should the choice have failed
  showLines();
}

void TFolderListerDlg::DirectoryListBox1Open(int row) {
  if (row < 0) return;
  guarded([&] { lister_->openLine(static_cast<std::size_t>(row)); });
  showDrives();
  showLines();
}

void TFolderListerDlg::NewFolderButtonClick() {
  if (newFolderDlg_ == nullptr || newFolderDlg_->exec() != QDialog::Accepted) return;
  const std::string name = newFolderDlg_->newName();
  guarded([&] { lister_->makeAndEnter(name); });
  showDrives();
  showLines();
}

void TFolderListerDlg::guarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& error) {
    showError_(error);
  }
}

void TFolderListerDlg::showDrives() {
  const QSignalBlocker blocker(DriveComboBox1);
  if (shownDrives_ != lister_->drives()) {
    shownDrives_ = lister_->drives();
    DriveComboBox1->clear();
    for (const Drive& drive : shownDrives_) {
      DriveComboBox1->addItem(driveIcon(style(), drive.kind), shownText(driveCaption(drive)));
    }
  }
  DriveComboBox1->setCurrentIndex(static_cast<int>(lister_->currentDrive()));
}

void TFolderListerDlg::showLines() {
  const QStyle* s = style();
  const QIcon open = s->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = s->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon root = driveIcon(s, lister_->drives()[lister_->currentDrive()].kind);
  QFont currentFont = DirectoryListBox1->font();
  currentFont.setBold(true);

  DirectoryListBox1->setUpdatesEnabled(false);
  DirectoryListBox1->clear();
  const std::vector<FolderLine>& lines = lister_->lines();
  for (const FolderLine& line : lines) {
    auto* item = new QListWidgetItem(line.depth == 0                            ? root
                                     : line.kind == FolderLine::Kind::Subfolder ? closed
                                                                                : open,
                                     shownText(line.text));
    item->setData(kDepthRole, line.depth);
    if (line.kind == FolderLine::Kind::Current) item->setFont(currentFont);
    DirectoryListBox1->addItem(item);
  }
  const int current = static_cast<int>(lister_->currentLine());
  DirectoryListBox1->setCurrentRow(current);
  // The path down from the root stays in sight above the current line.
  DirectoryListBox1->scrollToTop();
  DirectoryListBox1->scrollToItem(DirectoryListBox1->item(current));
  DirectoryListBox1->setUpdatesEnabled(true);
}

}  // namespace clipquill
