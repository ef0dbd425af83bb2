// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's manners on a desktop: the recent templates, the keys and
// their two schemes, drops, the window's size and place kept per user and
// always inside the screen, a first size that gives the preview's panes
// room, and a notification when a long run ends while the user is elsewhere. The rules are the
// model's (app/desktop_rules.h); this file only measures and applies.
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <utility>

#include "ui/desktop_notice.h"
#include "ui/elided_label.h"
#include "ui/frame_pane.h"
#include "ui/list_views.h"
#include "ui/main_window.h"
#include "ui/object_names.h"
#include "ui/platform_paths.h"
#include "ui/preview_pane.h"
#include "ui/qt_text.h"
#include "ui/status_places.h"
#include "ui/template_editor.h"

namespace clipquill {

namespace {

constexpr int kNoteMs = 5000;
// The figures a first window with the preview shows where the screen has
// room: the picture's least room, the editor's lines, the preview's lines,
// the rows of the created-scripts list and of the problems list.
constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 180;
constexpr int kEditorLines = 15;
constexpr int kPreviewLines = 4;
constexpr int kListRows = 4;
constexpr int kSlackLines = 3;

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
  if (!placed_) fitPanes_ = false;
  if (placed_) {
    from = toRect(normalGeometry());
  } else if (const std::optional<std::string> kept =
                 userSettings().get(kWindowPlaceKey, screenScale())) {
    from = parseWindowRect(*kept);
  }
  // The drawn size was laid out before the preview and its picture were
  // there: with them the first window takes a fair share of the screen,
  // as wide as the picture needs beside the drawn layout; how tall its
  // panes need is known once they are laid out, as the window is shown.
  const bool fit = !placed_ && !from && !preview_->isHidden();
  placeAt(from, fit);
  fitPanes_ = fit;
}

void MainWindow::placeAt(std::optional<WindowRect> from, bool fairShare) {
  // A maximised window is the window manager's to place.
  if (isMaximized()) return;
  // The least size as the window holds now (a pane shown or hidden since
  // the layout last ran), not as it held then.
  if (layout()) layout()->activate();
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
  const QRect area = screen->availableGeometry();
  int width = kDrawnWidth;
  int height = kDrawnHeight;
  if (fairShare) {
    width =
        firstWindowLength(kDrawnWidth + pictureSplit_->handleWidth() + pictureWanted(), kDrawnWidth,
                          area.width(), kFairShareWidthPercent, margins.left, margins.right);
    height = firstWindowLength(kDrawnHeight, kDrawnHeight, area.height(), kFairShareHeightPercent,
                               margins.top, margins.bottom);
  }
  const WindowRect placed =
      placeWindow(from, toRect(area), width, height, minimum.width(), minimum.height(), margins);
  setGeometry(placed.x, placed.y, placed.width, placed.height);
}

// --- The panes' room ---------------------------------------------------------------

int MainWindow::listRowHeight(QAbstractScrollArea* list) const {
  // A row as the view draws it: the problems' rows bear an icon.
  if (auto* problems = qobject_cast<QListWidget*>(list)) {
    auto* probe = new QListWidgetItem(
        problems->style()->standardIcon(QStyle::SP_MessageBoxCritical), QStringLiteral("Xg"));
    problems->addItem(probe);
    const int row = problems->sizeHintForRow(problems->row(probe));
    delete probe;
    return std::max(row, list->fontMetrics().height());
  }
  if (auto* view = qobject_cast<QListView*>(list)) {
    const int row = view->model() && view->model()->rowCount() > 0 ? view->sizeHintForRow(0) : -1;
    return std::max(row, list->fontMetrics().height());
  }
  return list->fontMetrics().lineSpacing();
}

void MainWindow::setLeastHeights() {
  // Each scrolling part may shrink to a few whole rows, so that the
  // window's least size fits a small or highly scaled screen (640 by 512 at
  // a scale of 2) with its frame, the problems list shown too. Measured
  // again once the window is polished: the style sets the rows.
  for (QAbstractScrollArea* list :
       std::initializer_list<QAbstractScrollArea*>{clipList_, filterList_})
    list->setMinimumHeight(2 * listRowHeight(list) + 2 * list->frameWidth());
  // The created scripts and the problems share a column: a row each, whole,
  // over the scroll bar their long rows bring.
  problemsList_->setMinimumHeight(listRowHeight(problemsList_) +
                                  problemsList_->horizontalScrollBar()->sizeHint().height() +
                                  2 * problemsList_->frameWidth());
  createdScripts_->setMinimumHeight(scriptsHeight(1));
  // The editor scrolls: a line of it is worth less than a text cut.
  templateEdit_->setMinimumHeight(templateEdit_->textHeight() +
                                  templateEdit_->horizontalScrollBar()->sizeHint().height() +
                                  2 * templateEdit_->frameWidth());
}

int MainWindow::scriptsHeight(int lines) const {
  // Its lines, the document's margin above and below, the scroll bar that
  // is always there, the frame.
  const auto margin = static_cast<int>(createdScripts_->document()->documentMargin());
  return lines * createdScripts_->fontMetrics().lineSpacing() + 2 * margin +
         createdScripts_->horizontalScrollBar()->sizeHint().height() +
         2 * createdScripts_->frameWidth();
}

MainWindow::PaneNeeds MainWindow::paneNeeds() const {
  PaneNeeds n;
  const int editorLine = templateEdit_->textHeight();
  n.editor = kEditorLines * editorLine + templateEdit_->horizontalScrollBar()->sizeHint().height() +
             2 * templateEdit_->frameWidth();
  // Its title, wrapped at its width, and one line; then the rest, and a line
  // of title more for when the script is there from a run ("already
  // there: the run would ask to replace it").
  n.preview = preview_->minimumSizeHint().height() + (kPreviewLines - 1) * editorLine +
              preview_->fontMetrics().lineSpacing();
  const int rowSpacing = templateRow_->verticalSpacing();
  n.templateRow = templateLabel_->sizeHint().height() + rowSpacing + n.editor +
                  templateSplit_->handleWidth() + n.preview;
  n.scripts = scriptsHeight(kListRows);
  n.problems = kListRows * listRowHeight(problemsList_) +
               problemsList_->horizontalScrollBar()->sizeHint().height() +
               2 * problemsList_->frameWidth();
  n.lists = templateLabel_->sizeHint().height() + listColumns_->verticalSpacing() + n.scripts +
            scriptsColumn_->spacing() + n.problems;
  return n;
}

void MainWindow::sharePanes(bool preview) {
  // Without the preview, the drawn shares over the widgets' own size hints,
  // as designed. With it, each part takes what the window has in the
  // measure of what its figures need, so that a window as tall as their
  // sum shows them all, and a smaller one shortens each alike.
  for (QWidget* part : std::initializer_list<QWidget*>{templateSplit_, clipList_, filterList_,
                                                       createdScripts_, problemsList_}) {
    QSizePolicy policy = part->sizePolicy();
    policy.setVerticalPolicy(preview ? QSizePolicy::Ignored : QSizePolicy::Expanding);
    part->setSizePolicy(policy);
  }
  const PaneNeeds needs = paneNeeds();
  drawnLayout_->setStretch(drawnLayout_->indexOf(templateRow_),
                           preview ? needs.templateRow : kTemplateShare);
  drawnLayout_->setStretch(drawnLayout_->indexOf(listColumns_),
                           preview ? needs.lists : kListsShare);
  scriptsColumn_->setStretch(0, preview ? needs.scripts : 2);
  scriptsColumn_->setStretch(1, preview ? needs.problems : 1);
}

int MainWindow::pictureWanted() const {
  // The picture's room with the frame of its scrolling area.
  return std::max(kPictureWidth, kPictureHeight * 16 / 9) +
         2 * framePane_->findChild<QAbstractScrollArea*>()->frameWidth();
}

void MainWindow::splitPicture(std::optional<int> kept) {
  const int total = pictureSplit_->width() - pictureSplit_->handleWidth();
  const int picture = pictureWidth(kept, pictureWanted(), total, drawn_->minimumSizeHint().width());
  pictureSplit_->setSizes({total - picture, picture});
}

int MainWindow::statusToCome() const {
  // A run's summary in the destination folder and a check's result naming
  // a failure, which are not there yet, may take rows of the status bar
  // more: as many as such texts would at the window's width.
  const QFontMetrics metrics = runStatus_->fontMetrics();
  const int run = metrics.horizontalAdvance(QStringLiteral("Last run: 999 scripts written in ") +
                                            destinationEdit_->text() + QStringLiteral("/."));
  const int check = metrics.horizontalAdvance(
      QStringLiteral("AviSynth+: 99 of 999 scripts failed; ") + QString(64, QLatin1Char('x')));
  const int later = statusPlaces_->heightWith(
      statusPlaces_->width(), {{runStatus_, run},
                               {openRunFolderButton_, openRunFolderButton_->sizeHint().width()},
                               {checkStatus_, check}});
  return std::max(later - statusPlaces_->height(), 0);
}

void MainWindow::fitToPanes() {
  fitPanes_ = false;
  const QScreen* shownOn = screen();
  if (!shownOn || isMaximized()) return;
  const QRect area = shownOn->availableGeometry();
  // The drawn layout's width first: the status bar's rows and the
  // preview's wrapped title follow from it.
  splitPicture(std::nullopt);
  sharePanes(true);
  // The panes take their shares of the height in the measure of their
  // needs, so one step to the sum of the needs is the height; a second
  // corrects for a part the step left at its least.
  for (int step = 0; step < 3; ++step) {
    const PaneNeeds needs = paneNeeds();
    const int have = templateRow_->geometry().height() + listColumns_->geometry().height();
    // A few lines over: the editor and the preview share their part in
    // the measure of their stretch, not of their needs, once it shrinks for
    // the problems list and the status bar's rows that a run brings.
    const int wanted = height() + needs.templateRow + needs.lists - have + statusToCome() +
                       kSlackLines * templateEdit_->textHeight();
    const int fitted =
        firstWindowLength(wanted, kDrawnHeight, area.height(), kFairShareHeightPercent);
    if (fitted == height()) break;
    const QSize minimum = minimumSizeHint().expandedTo(minimumSize());
    const WindowRect placed =
        placeWindow(std::nullopt, toRect(area), width(), fitted, minimum.width(), minimum.height());
    setGeometry(placed.x, placed.y, placed.width, placed.height);
    sharePanes(true);
  }
  const PaneNeeds needs = paneNeeds();
  templateSplit_->setSizes({needs.editor, needs.preview});
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_) return;
  placed_ = true;
  setLeastHeights();
  // The panes are laid out now, before the window reaches the screen: the
  // first window with the preview grows to their needs; a window with its
  // size kept splits its picture as last time.
  if (fitPanes_) {
    fitToPanes();
  } else if (!preview_->isHidden()) {
    std::optional<int> kept;
    if (const std::optional<std::string> value =
            userSettings().get(kPictureWidthKey, screenScale()))
      kept = parsePaneWidth(*value);
    splitPicture(kept);
    const PaneNeeds needs = paneNeeds();
    templateSplit_->setSizes({needs.editor, needs.preview});
  }
  // Maximised when last closed at this scale: its normal place is kept for
  // when the user restores it.
  if (userSettings().get(kWindowMaximisedKey, screenScale())) {
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
  userSettings().set(kWindowPlaceKey, formatWindowRect(toRect(normalGeometry())), scale);
  userSettings().set(kWindowMaximisedKey, isMaximized(), scale);
  // The picture's width as the user left it; a hidden one keeps the last.
  if (!framePane_->isHidden())
    userSettings().set(kPictureWidthKey, std::to_string(framePane_->width()), scale);
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
