// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's manners on a desktop: the recent templates, the keys and
// their two schemes, drops, the window's size and place kept per user and
// always inside the screen, and a notification when a long run ends while the
// user is elsewhere. The rules are the model's (app/desktop_rules.h);
// this file only measures and applies.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <utility>

#include "ui/desktop_notice.h"
#include "ui/main_window.h"
#include "ui/object_names.h"
#include "ui/platform_paths.h"
#include "ui/qt_text.h"

namespace clipquill {

namespace {

constexpr int kNoteMs = 5000;
// The designed size, which a first start opens at when the screen has room.
constexpr int kDesignWidth = 555;
constexpr int kDesignHeight = 635;

WindowRect toRect(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

void MainWindow::bindDesktop() {
  // File > Recent Templates, right after "Save Template".
  auto* file = findChild<QMenu*>(QString::fromLatin1(objectNames::kFile1));
  recentMenu_ = new QMenu(QStringLiteral("&Recent Templates"), file);
  recentMenu_->setObjectName(QString::fromLatin1(objectNames::kRecentTemplates1));
  const QList<QAction*> items = file->actions();
  const qsizetype save = items.indexOf(saveTemplateAction_);
  file->insertMenu(save >= 0 && save + 1 < items.size() ? items[save + 1] : nullptr, recentMenu_);

  auto* options = findChild<QMenu*>(QString::fromLatin1(objectNames::kOptions1));
  options->addSeparator();
  standardKeysAction_ = options->addAction(QStringLiteral("&Desktop's Standard Keys"));
  standardKeysAction_->setObjectName(QString::fromLatin1(objectNames::kStandardKeys1));
  standardKeysAction_->setCheckable(true);
  connect(standardKeysAction_, &QAction::triggered, this, [this] {
    model_->toggleKeyScheme();
    noteOption(standardKeysAction_->text(), model_->keyScheme() == KeyScheme::Desktop);
  });
  // Where a clip's name ends, kept per user as the keys are.
  nameToLastDotAction_ = options->addAction(QStringLiteral("Clip &Name to Last Dot"));
  nameToLastDotAction_->setObjectName(QString::fromLatin1(objectNames::kNameToLastDot1));
  nameToLastDotAction_->setCheckable(true);
  connect(nameToLastDotAction_, &QAction::triggered, this, [this] {
    model_->toggleNameEnd();
    nameToLastDotAction_->setChecked(model_->nameEnd() == NameEnd::LastDot);
    noteOption(nameToLastDotAction_->text(), model_->nameEnd() == NameEnd::LastDot);
    schedulePreview();
  });
  // The option flags say what a key (or a click) made of them.
  connect(loadInisAction_, &QAction::triggered, this,
          [this] { noteOption(loadInisAction_->text(), model_->optionFlags().loadInis); });
  connect(saveInisAction_, &QAction::triggered, this,
          [this] { noteOption(saveInisAction_->text(), model_->optionFlags().saveInis); });

  // "Create Script(s)" from anywhere in the window; a key without a menu item.
  createScriptsAction_ = new QAction(QStringLiteral("Create Script(s)"), this);
  createScriptsAction_->setObjectName(QString::fromLatin1(objectNames::kCreateScripts1));
  addAction(createScriptsAction_);
  connect(createScriptsAction_, &QAction::triggered, createScriptsButton_, &QPushButton::click);

  // Drops land on the fields, the clip list, and anywhere else in the window.
  centralWidget()->setAcceptDrops(true);
  clipList_->setAcceptDrops(true);

  model_->useUserSettings(&userSettings());
  nameToLastDotAction_->setChecked(model_->nameEnd() == NameEnd::LastDot);
  placeOnScreen();
}

// --- Keys ----------------------------------------------------------------------

void MainWindow::applyKeyScheme() {
  const KeyScheme scheme = model_->keyScheme();
  const std::pair<QAction*, Command> commands[] = {{loadTemplateAction_, Command::LoadTemplate},
                                                   {saveTemplateAction_, Command::SaveTemplate},
                                                   {editFiltersAction_, Command::EditFilters},
                                                   {exitAction_, Command::Exit},
                                                   {loadInisAction_, Command::LoadInis},
                                                   {saveInisAction_, Command::SaveInis},
                                                   {usageAction_, Command::Using},
                                                   {aboutAction_, Command::About},
                                                   {createScriptsAction_, Command::CreateScripts}};
  for (const auto& [action, command] : commands) {
    QList<QKeySequence> keys;
    for (const std::string& key : commandKeys(scheme, command))
      keys << QKeySequence::fromString(QString::fromStdString(key), QKeySequence::PortableText);
    action->setShortcuts(keys);
  }
  standardKeysAction_->setChecked(scheme == KeyScheme::Desktop);
}

bool MainWindow::claimsKey(const QKeySequence& pressed) const {
  // The specified keys come before the fields' own; the desktop's leave the
  // fields their editing keys and claim only what no field uses.
  const bool beforeEditing = keysBeforeEditing(model_->keyScheme());
  const bool withCtrl =
      pressed.count() > 0 && (pressed[0].keyboardModifiers() & Qt::ControlModifier);
  for (QAction* action :
       {loadTemplateAction_, saveTemplateAction_, editFiltersAction_, exitAction_, loadInisAction_,
        saveInisAction_, usageAction_, aboutAction_, createScriptsAction_}) {
    if (!action || (!beforeEditing && withCtrl && action != createScriptsAction_)) continue;
    if (action->shortcuts().contains(pressed)) return true;
  }
  return false;
}

void MainWindow::noteOption(const QString& caption, bool on) {
  statusBar()->showMessage(shownText(optionNote(caption.toStdString(), on)), kNoteMs);
}

// --- Recent templates ------------------------------------------------------------

void MainWindow::showRecentTemplates() {
  recentMenu_->clear();
  int number = 0;
  for (const std::string& path : model_->recentTemplates()) {
    QString shown = shownText(path);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(++number).arg(shown));
    // Queued: the load rebuilds this menu, which must not delete the item
    // while it is still being triggered.
    connect(
        item, &QAction::triggered, this,
        [this, path] { model_->event([this, &path] { model_->loadTemplateFrom(path); }); },
        Qt::QueuedConnection);
  }
  recentMenu_->setEnabled(number > 0);
}

// --- Drops ---------------------------------------------------------------------

bool MainWindow::handleDrop(QObject* watched, QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const QMimeData* data = drop->mimeData();
  if (!data || !data->hasUrls()) return false;  // text: the widget's own business
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return false;
    paths.push_back(pathBytes(url.toLocalFile()));
  }
  DropTarget target = DropTarget::Elsewhere;
  if (watched == sourceEdit_) target = DropTarget::SourceField;
  if (watched == destinationEdit_) target = DropTarget::DestinationField;
  if (watched == clipList_ || watched == clipList_->viewport()) target = DropTarget::ClipList;
  const bool ours = target != DropTarget::Elsewhere || watched == centralWidget();

  DropDecision decision = model_->decideDrop(target, paths);
  if (decision.action == DropDecision::Refuse) {
    // On other widgets (the template editor) a file's name may be text to
    // insert; on ours it lands nowhere.
    if (!ours) return false;
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (event->type() != QEvent::Drop) return true;
  // After the drop has ended: a load may ask questions, and the program
  // that dragged should not wait for their answers.
  QTimer::singleShot(0, this, [this, decision = std::move(decision)] {
    std::size_t selected = 0;
    model_->event([&] { selected = model_->drop(decision); });
    if (decision.action == DropDecision::SelectClips) {
      const std::string note = dropNote(decision.clips.size(), selected);
      if (!note.empty()) statusBar()->showMessage(shownText(note), kNoteMs);
      clipList_->setFocus();
    }
  });
  return true;
}

// --- Size and place --------------------------------------------------------------

void MainWindow::placeOnScreen() {
  // The first time from what was kept, afterwards (once the window manager
  // has put its frame around the window) from where the window is.
  std::optional<WindowRect> from;
  if (placed_) {
    from = toRect(normalGeometry());
  } else if (const std::optional<std::string> kept =
                 userSettings().value(windowPlaceKey(screenScale()))) {
    from = parseWindowRect(*kept);
  }
  // A maximised window is the window manager's to place.
  if (isMaximized()) return;
  QScreen* screen = nullptr;
  if (from)
    screen = QGuiApplication::screenAt(QRect(from->x, from->y, from->width, from->height).center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  const FrameMargins margins{inner.left() - frame.left(), inner.top() - frame.top(),
                             frame.right() - inner.right(), frame.bottom() - inner.bottom()};
  const QSize minimum = minimumSizeHint().expandedTo(minimumSize());
  const WindowRect placed = placeWindow(from, toRect(screen->availableGeometry()), kDesignWidth,
                                        kDesignHeight, minimum.width(), minimum.height(), margins);
  setGeometry(placed.x, placed.y, placed.width, placed.height);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_) return;
  placed_ = true;
  // Maximised when last closed at this scale: its normal place is kept for
  // when the user restores it.
  if (userSettings().flag(windowMaximisedKey(screenScale()), false)) {
    QTimer::singleShot(0, this, [this] { setWindowState(windowState() | Qt::WindowMaximized); });
  }
  // Placed again once the window manager has framed the window, which it
  // does after the show, by moving the window into its frame: until then
  // the frame's size is unknown and the title bar or the bottom may be off.
  QTimer::singleShot(0, this, [this] { placeOnScreen(); });
  // The frame shows in frameGeometry only once asked for after the framing,
  // and nothing need move when it comes: so look for a moment.
  auto* poll = new QTimer(this);
  poll->setInterval(100);
  connect(poll, &QTimer::timeout, this, [this, poll, tries = 0]() mutable {
    const bool framed = frameGeometry() != geometry();
    if (framed || ++tries >= 20) poll->deleteLater();
    if (framed) placeOnScreen();
  });
  poll->start();
}

void MainWindow::hideEvent(QHideEvent* event) {
  // Closing (not a minimising by the window manager) keeps the place.
  if (!event->spontaneous()) rememberPlace();
  QMainWindow::hideEvent(event);
}

double MainWindow::screenScale() const {
  // The screen's own, known before the window is first shown.
  const QScreen* shownOn = screen();
  return shownOn ? shownOn->devicePixelRatio() : 1.0;
}

void MainWindow::rememberPlace() {
  const double scale = screenScale();
  userSettings().setValue(windowPlaceKey(scale), formatWindowRect(toRect(normalGeometry())));
  userSettings().setFlag(windowMaximisedKey(scale), isMaximized());
}

// --- The end of a long run ---------------------------------------------------------

void MainWindow::noticeLongRun(qint64 tookMs, bool stopped) {
  // The window counts as watched while it or one of its dialogs (the
  // progress dialog) is the active window.
  QWidget* active = QApplication::activeWindow();
  while (active && active != this)
    active = active->parentWidget();
  if (!worthNotifying(std::chrono::milliseconds(tookMs), active == this,
                      std::chrono::milliseconds(notifyAfterMs_)))
    return;
  const RunNotice notice =
      runNotice(model_->scriptsWrittenLastRun(), model_->state().script.destFolder, stopped);
  notifyDesktop(shownText(notice.summary), shownText(notice.body));
}

}  // namespace clipquill
