// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/folder_paths.h"
#include "app/system_platform.h"
#include "core/template_text.h"
#include "ui/about_box.h"
#include "ui/background_run.h"
#include "ui/created_script_marks.h"
#include "ui/editor_assist.h"
#include "ui/elided_label.h"
#include "ui/find_bar.h"
#include "ui/frame_pane.h"
#include "ui/function_table_loader.h"
#include "ui/list_views.h"
#include "ui/object_names.h"
#include "ui/platform_paths.h"
#include "ui/preview_pane.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"
#include "ui/status_places.h"
#include "ui/template_editor.h"
#include "ui/usage_dialog.h"

namespace clipquill {

namespace {

// The clip folders with the busy cursor while a folder is read, restored
// however the read ends.
class BusyFolders : public Folders {
 public:
  explicit BusyFolders(Folders& inner) : inner_(inner) {}
  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view name)>& visit) override {
    struct Busy {
      Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
      ~Busy() { QApplication::restoreOverrideCursor(); }
    } busy;
    inner_.listFiles(folder, visit);
  }
  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view name)>& visit) override {
    inner_.listSubfolders(folder, visit);
  }
  PathKind kind(const std::string& path) override { return inner_.kind(path); }
  int makeFolder(const std::string& path) override { return inner_.makeFolder(path); }

 private:
  Folders& inner_;
};

QString withoutAmpersand(QString caption) {
  return caption.remove(QLatin1Char('&'));
}

// Every widget bears its stable object name and, as its accessible name,
// its caption without "&".
void named(QWidget* widget, const char* name, const QString& caption) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setAccessibleName(withoutAmpersand(caption));
}

// Names widget and makes the label above it, which moves the focus to it.
QLabel* labeled(QWidget* widget, const char* name, const QString& caption, QWidget* parent) {
  named(widget, name, caption);
  auto* label = new QLabel(caption, parent);
  label->setBuddy(widget);
  return label;
}

QLabel* labeledEdit(QLineEdit*& edit, const char* name, const QString& caption, QWidget* parent) {
  edit = new QLineEdit(parent);
  return labeled(edit, name, caption, parent);
}

// Enter presses a button only where the window makes it the default.
QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  named(b, name, caption);
  b->setAutoDefault(false);
  return b;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + 1;
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\n';
    text += lines[i];
  }
  return text;
}

// The preview waits for typing to pause this long.
constexpr int kPreviewDelayMs = 120;

}  // namespace

// The system's platform, its folders read under the busy cursor.
struct MainWindow::Platform {
  Platform(const std::string& registryRoot, std::optional<UserConfigPlace> userConfig)
      : system(registryRoot),
        folders(*system.folders),
        settings(*system.files, std::move(userConfig)) {}
  SystemPlatform system;
  BusyFolders folders;
  UserSettings settings;
};

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      platform_(std::make_unique<Platform>(setup.registryRoot, std::move(setup.userConfig))),
      boxes_(setup.boxes ? *setup.boxes : qtMessageBoxes()),
      files_(setup.files ? *setup.files : qtFileDialogs()) {
  SystemPlatform& system = platform_->system;
  model_ = std::make_unique<MainWindowModel>(
      ModelPlatform{platform_->folders, *system.scripts, *system.files, system.registry, *this});
  model_->setTemplateView(this);
  buildWidgets();
  buildMenus();
  buildStatusBar();
  connectEvents();
  checkMarks_ = new CreatedScriptMarks(createdScripts_, checkStatus_, problemsList_, this);
  // Pictures are rendered off this thread; a queued call brings each back,
  // and Qt drops it should the window be gone by then.
  model_->showPicturesThrough(
      [this](std::function<void()> f) {
        QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
      },
      [this](const PictureShown& shown) { showPicture(shown); });

  // The window's frame: a close box, no minimise or maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  resize(kDrawnWidth, kDrawnHeight);
  centreOnScreen(this);
  bindDesktop();

  model_->start(setup.startup);
  setWindowTitle(QString::fromStdString(model_->state().appTitle));
  showPreviewPane(userSettings().get(kPreviewShownKey));
  // Placed again: the first size depends on whether the preview shows.
  placeOnScreen();
  showStatus();
}

MainWindow::~MainWindow() = default;

UserSettings& MainWindow::userSettings() {
  return platform_->settings;
}

const CreatedScriptChecks& MainWindow::scriptChecks() const {
  return checkMarks_->checks();
}

// --- Building ---------------------------------------------------------------

void MainWindow::buildWidgets() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  // The drawn layout on the left, the preview's picture beside it as tall
  // as the window: a picture fitted to the height of a preview's few lines
  // is too small to tell anything by. The user sets the split.
  auto* outer = new QHBoxLayout(central);
  pictureSplit_ = new QSplitter(Qt::Horizontal, central);
  pictureSplit_->setObjectName(QString::fromLatin1(objectNames::kPictureSplitter));
  pictureSplit_->setChildrenCollapsible(false);
  outer->addWidget(pictureSplit_);
  drawn_ = new QWidget(pictureSplit_);
  framePane_ = new FramePane(pictureSplit_);
  pictureSplit_->addWidget(drawn_);
  pictureSplit_->addWidget(framePane_);
  pictureSplit_->setStretchFactor(0, 1);
  pictureSplit_->setStretchFactor(1, 0);

  // The design: the four fields top left with the folder buttons to their
  // right; the template with its two buttons; "Join Sources" and "Create
  // Script(s)"; three columns of equal height at the bottom. The template
  // and the three lists take what the window grows by.
  drawnLayout_ = new QVBoxLayout(drawn_);
  drawnLayout_->setContentsMargins(0, 0, 0, 0);
  drawnLayout_->addLayout(buildFields(drawn_));
  // The template and its preview are what the user reads: they take most
  // of what the window grows by, the lists the rest.
  drawnLayout_->addLayout(buildTemplateRow(drawn_), kTemplateShare);
  drawnLayout_->addLayout(buildRunRow(drawn_));
  drawnLayout_->addLayout(buildListColumns(drawn_), kListsShare);
  setLeastHeights();

  // The buttons to the right of the fields and the template share one width.
  const std::initializer_list<QPushButton*> rightButtons{
      sourceFolderButton_, destinationFolderButton_, loadTemplateButton_, saveTemplateButton_,
      createScriptsButton_};
  int buttonWidth = 0;
  for (QPushButton* b : rightButtons)
    buttonWidth = std::max(buttonWidth, b->sizeHint().width());
  for (QPushButton* b : rightButtons)
    b->setMinimumWidth(buttonWidth);

  // The tab order of the design.
  const std::vector<QWidget*> order{
      sourceEdit_,         sourceFolderButton_,  clipNameEdit_,
      scriptNameEdit_,     destinationEdit_,     destinationFolderButton_,
      templateEdit_,       createScriptsButton_, joinCheck_,
      clipList_,           selectAllButton_,     loadTemplateButton_,
      saveTemplateButton_, previewCheck_,        createdScripts_,
      problemsList_,       filterList_,          editFiltersButton_};
  for (std::size_t i = 1; i < order.size(); ++i)
    setTabOrder(order[i - 1], order[i]);
  // The window starts in "Location of sources": the picture's splitter, made
  // first, would otherwise hand the first focus to the picture's slider.
  sourceEdit_->setFocus(Qt::OtherFocusReason);
}

QLayout* MainWindow::buildFields(QWidget* central) {
  QLabel* sourceLabel = labeledEdit(sourceEdit_, objectNames::kLocLabeledEdit,
                                    QStringLiteral("&Location of sources:"), central);
  sourceFolderButton_ =
      button(objectNames::kCapFldrButton, QStringLiteral("&Clips Folder"), central);
  QLabel* clipNameLabel = labeledEdit(clipNameEdit_, objectNames::kClipNameLabeledEdit,
                                      QStringLiteral("&Name of source(s):"), central);
  QLabel* scriptNameLabel = labeledEdit(
      scriptNameEdit_, objectNames::kScriptLabeledEdit,
      QStringLiteral("Name for script(s) - &Wild card * stands for the clip's name:"), central);
  QLabel* destinationLabel =
      labeledEdit(destinationEdit_, objectNames::kDestLabeledEdit,
                  QStringLiteral("&Destination folder for scripts:"), central);
  destinationFolderButton_ =
      button(objectNames::kScrFldrButton, QStringLiteral("Scri&pt Folder"), central);
  // Beside the label, so that it takes no line of its own and moves nothing.
  sourceProblemLabel_ = new ElidedLabel(central);
  sourceProblemLabel_->setObjectName(QString::fromLatin1(objectNames::kSourceProblemLabel));
  sourceProblemLabel_->setStyleSheet(QStringLiteral("color: #b00000;"));
  auto* sourceLabelRow = new QHBoxLayout;
  sourceLabelRow->addWidget(sourceLabel);
  sourceLabelRow->addSpacing(sourceLabel->fontMetrics().averageCharWidth() * 2);
  sourceLabelRow->addWidget(sourceProblemLabel_, 1);

  auto* fields = new QGridLayout;
  fields->setColumnStretch(0, 1);
  fields->setVerticalSpacing(2);
  fields->addLayout(sourceLabelRow, 0, 0);
  fields->addWidget(sourceEdit_, 1, 0);
  fields->addWidget(sourceFolderButton_, 1, 1);
  fields->addWidget(clipNameLabel, 2, 0);
  fields->addWidget(clipNameEdit_, 3, 0);
  fields->addWidget(scriptNameLabel, 4, 0);
  fields->addWidget(scriptNameEdit_, 5, 0);
  fields->addWidget(destinationLabel, 6, 0);
  fields->addWidget(destinationEdit_, 7, 0);
  fields->addWidget(destinationFolderButton_, 7, 1);
  return fields;
}

QLayout* MainWindow::buildTemplateRow(QWidget* central) {
  templateEdit_ = new TemplateEditor(central);
  functionTables_ = new FunctionTableLoader(new EditorAssist(templateEdit_));
  // Once the window stands: from the cache at once, or from AviSynth+.
  QTimer::singleShot(0, this, [this] { functionTables_->load(model_->checkOptions()); });
  QLabel* templateLabel = labeled(templateEdit_, objectNames::kScriptMemo,
                                  QStringLiteral("Script &template:"), central);
  templateLabel_ = templateLabel;
  loadTemplateButton_ =
      button(objectNames::kLoadSriptButton, QStringLiteral("Load Te&mplate"), central);
  saveTemplateButton_ =
      button(objectNames::kSaveScriptButton, QStringLiteral("&Save Template"), central);
  previewCheck_ = new QCheckBox(QStringLiteral("Show Pre&view"), central);
  named(previewCheck_, objectNames::kPreviewCheckBox, QStringLiteral("Show Preview"));

  // The editor over its find bar, the preview under both; the user sets
  // the split.
  auto* editorBox = new QWidget(central);
  auto* editorColumn = new QVBoxLayout(editorBox);
  editorColumn->setContentsMargins(0, 0, 0, 0);
  editorColumn->addWidget(templateEdit_, 1);
  findBar_ = new FindBar(templateEdit_, editorBox);
  editorColumn->addWidget(findBar_);
  preview_ = new PreviewPane(central);
  auto* split = new QSplitter(Qt::Vertical, central);
  templateSplit_ = split;
  split->setObjectName(QString::fromLatin1(objectNames::kTemplateSplitter));
  split->setChildrenCollapsible(false);
  split->addWidget(editorBox);
  split->addWidget(preview_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  previewTimer_ = new QTimer(this);
  previewTimer_->setSingleShot(true);
  pictureRetry_ = new QTimer(this);
  pictureRetry_->setSingleShot(true);
  pictureRetry_->setInterval(3000);
  previewTimer_->setInterval(kPreviewDelayMs);

  auto* templateButtons = new QVBoxLayout;
  templateButtons->addWidget(loadTemplateButton_);
  templateButtons->addWidget(saveTemplateButton_);
  templateButtons->addWidget(previewCheck_);
  templateButtons->addStretch(1);
  auto* templateRow = new QGridLayout;
  templateRow_ = templateRow;
  templateRow->addWidget(templateLabel, 0, 0);
  templateRow->addWidget(split, 1, 0);
  templateRow->addLayout(templateButtons, 1, 1);
  templateRow->setColumnStretch(0, 1);
  return templateRow;
}

QLayout* MainWindow::buildRunRow(QWidget* central) {
  createScriptsButton_ =
      button(objectNames::kCreateScriptsButton, QStringLiteral("C&reate Script(s)"), central);
  joinCheck_ = new QCheckBox(QStringLiteral("&Join Sources"), central);
  named(joinCheck_, objectNames::kJoinScriptsCheckBox, joinCheck_->text());

  auto* runRow = new QHBoxLayout;
  runRow->addWidget(joinCheck_);
  runRow->addStretch(1);
  runRow->addWidget(createScriptsButton_);
  return runRow;
}

QLayout* MainWindow::buildListColumns(QWidget* central) {
  clipList_ = new QListView(central);
  clipList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  clipList_->setUniformItemSizes(true);
  clipList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  clipModel_ = new ClipListModel(model_->clips(), this);
  clipList_->setModel(clipModel_);
  QLabel* clipLabel =
      labeled(clipList_, objectNames::kClipFileListBox, QStringLiteral("So&urce(s):"), central);
  selectAllButton_ =
      button(objectNames::kSelectAllButton, QStringLiteral("De/Select &All"), central);

  createdScripts_ = new CreatedScriptsView(central);
  createdScripts_->setReadOnly(true);
  createdScripts_->setLineWrapMode(QPlainTextEdit::NoWrap);
  createdScripts_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  createdScripts_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QLabel* scriptsLabel = labeled(createdScripts_, objectNames::kScriptNameMemo,
                                 QStringLiteral("Scr&ipt(s):"), central);
  // The scripts that failed their check, one row each, under the list.
  problemsList_ = new QListWidget(central);
  named(problemsList_, objectNames::kProblemsList, QStringLiteral("Problems"));
  problemsList_->setAccessibleDescription(
      QStringLiteral("Scripts AviSynth+ refused. Enter shows one, Ctrl+C copies"));
  problemsList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The failure's icon as tall as the text: rows of the style's larger
  // icons would show fewer failures in the same room.
  const int iconSide = problemsList_->fontMetrics().height();
  problemsList_->setIconSize(QSize(iconSide, iconSide));
  problemsList_->setToolTip(
      QStringLiteral("Enter or a double-click shows the script; Ctrl+C copies path:line:column"));
  auto* scriptsColumn = new QVBoxLayout;
  scriptsColumn_ = scriptsColumn;
  scriptsColumn->setContentsMargins(0, 0, 0, 0);
  scriptsColumn->addWidget(createdScripts_, 2);
  scriptsColumn->addWidget(problemsList_, 1);

  filterList_ = new FilterCheckList(central);
  filterModel_ = new FilterListModel(model_->filters(), this);
  filterList_->setModel(filterModel_);
  filterModel_->refresh();
  QLabel* filterLabel = labeled(filterList_, objectNames::kFilterByCheckListBox,
                                QStringLiteral("Filter &By:"), central);
  editFiltersButton_ =
      button(objectNames::kEditFiltersButton, QStringLiteral("&Edit Filter List"), central);

  auto* columns = new QGridLayout;
  listColumns_ = columns;
  columns->addWidget(clipLabel, 0, 0);
  columns->addWidget(clipList_, 1, 0);
  columns->addWidget(selectAllButton_, 2, 0);
  columns->addWidget(filterLabel, 0, 1);
  columns->addWidget(filterList_, 1, 1);
  columns->addWidget(editFiltersButton_, 2, 1);
  columns->addWidget(scriptsLabel, 0, 2);
  columns->addLayout(scriptsColumn, 1, 2, 2, 1);
  columns->setColumnStretch(0, 215);
  columns->setColumnStretch(1, 86);
  columns->setColumnStretch(2, 215);
  columns->setRowStretch(1, 1);
  return columns;
}

void MainWindow::buildMenus() {
  auto item = [this](QMenu* menu, QAction*& action, const char* name, const QString& caption,
                     const QKeySequence& keys) {
    action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QString::fromLatin1(objectNames::kFile1));
  item(file, loadTemplateAction_, objectNames::kLoadTemplate1, QStringLiteral("&Load Template"),
       QKeySequence(Qt::CTRL | Qt::Key_L));
  item(file, saveTemplateAction_, objectNames::kSaveTemplate1, QStringLiteral("&Save Template"),
       QKeySequence(Qt::CTRL | Qt::Key_S));
  item(file, saveDefaultTemplateAction_, objectNames::kSaveDefaultTemplate1,
       QStringLiteral("Save as &Default Template"), QKeySequence());
  file->addSeparator();
  item(file, editFiltersAction_, objectNames::kEditFilters1, QStringLiteral("&Edit Filters"),
       QKeySequence(Qt::CTRL | Qt::Key_E));
  file->addSeparator();
  item(file, exitAction_, objectNames::kExit1, QStringLiteral("E&xit"),
       QKeySequence(Qt::CTRL | Qt::Key_X));

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->setObjectName(QString::fromLatin1(objectNames::kOptions1));
  item(options, loadInisAction_, objectNames::kLoadInis, QStringLiteral("&Load Template .ini's"),
       QKeySequence(Qt::CTRL | Qt::Key_O));
  item(options, saveInisAction_, objectNames::kSaveInis, QStringLiteral("&Save Template .ini's"),
       QKeySequence(Qt::CTRL | Qt::Key_A));
  loadInisAction_->setCheckable(true);
  saveInisAction_->setCheckable(true);
  showOptionFlags();
  options->addSeparator();
  item(options, avisynthLibraryAction_, objectNames::kAvisynthLibrary,
       QStringLiteral("AviSynth+ Li&brary..."), QKeySequence());

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QString::fromLatin1(objectNames::kHelp1));
  usageAction_ = addMenuDialog<UsageDialog>(help, StartupWindow::Using, objectNames::kUsing1,
                                            QStringLiteral("&Using"), Qt::CTRL | Qt::Key_U);
  help->addSeparator();
  aboutAction_ = addMenuDialog<AboutBox>(help, StartupWindow::About, objectNames::kAbout1,
                                         QStringLiteral("&About"), Qt::CTRL | Qt::Key_B);
}

template <class Dialog>
QAction* MainWindow::addMenuDialog(QMenu* menu, StartupWindow window, const char* name,
                                   const QString& caption, const QKeySequence& keys) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(keys);
  menuDialogs_[window] = &makeMenuDialog<Dialog>;
  connect(action, &QAction::triggered, this, [this, window] {
    if (dialogs_) dialogs_->openMenuDialog(window);
  });
  return action;
}

void MainWindow::buildStatusBar() {
  // Six places, each always in view: the template, its encoding, the clips,
  // the last run with the folder it wrote to, and its check; in as many
  // rows as the width needs, so that the run's summary and the check's
  // result read whole. Only the template's path gives way to share a row
  // (shortened in the middle, whole in its tooltip), and a long folder in
  // the run's summary, never its counts.
  statusPlaces_ = new StatusPlaces(statusBar());
  statusPlaces_->setObjectName(QString::fromLatin1(objectNames::kStatusPlaces));
  templateStatus_ = new ElidedLabel(statusPlaces_);
  templateStatus_->setObjectName(QString::fromLatin1(objectNames::kTemplateStatus));
  encodingStatus_ = new QLabel(statusPlaces_);
  encodingStatus_->setObjectName(QString::fromLatin1(objectNames::kEncodingStatus));
  encodingStatus_->setToolTip(QStringLiteral("The template's text encoding"));
  clipStatus_ = new QLabel(statusPlaces_);
  clipStatus_->setObjectName(QString::fromLatin1(objectNames::kClipStatus));
  runStatus_ = new ElidedLabel(statusPlaces_);
  runStatus_->setObjectName(QString::fromLatin1(objectNames::kRunStatus));
  openRunFolderButton_ =
      button(objectNames::kOpenRunFolderButton, QStringLiteral("Open Folder"), statusPlaces_);
  openRunFolderButton_->setToolTip(QStringLiteral("Open the folder the last run wrote to"));
  openRunFolderButton_->setFlat(true);
  // As tall as a line of the bar's text: a row of its own may be all a
  // small screen has room for.
  openRunFolderButton_->setMaximumHeight(openRunFolderButton_->fontMetrics().height() + 6);
  checkStatus_ = new ElidedLabel(statusPlaces_);
  checkStatus_->setObjectName(QString::fromLatin1(objectNames::kCheckStatus));
  statusPlaces_->addPlace(templateStatus_, StatusPlaces::Shortens::ToAFewCharacters);
  statusPlaces_->addPlace(encodingStatus_);
  statusPlaces_->addPlace(clipStatus_);
  statusPlaces_->addPlace(runStatus_);
  statusPlaces_->addPlace(openRunFolderButton_, StatusPlaces::Shortens::Never, true);
  statusPlaces_->addPlace(checkStatus_);
  // Only a passing note (an option toggled, a drop) stands over them, for a
  // few seconds; nothing that lasts is a status bar message.
  statusBar()->addWidget(statusPlaces_, 1);
  statusBar()->setSizeGripEnabled(false);
  connect(openRunFolderButton_, &QPushButton::clicked, this, [this] { openRunFolder(); });
}

void MainWindow::showStatus() {
  templateStatus_->setFullText(shownText(model_->templateStatus()));
  encodingStatus_->setText(templateEdit_->showsLatin1() ? QStringLiteral("Latin-1")
                                                        : QStringLiteral("UTF-8"));
  clipStatus_->setText(shownText(model_->clipStatus()));
  clipStatus_->setAccessibleName(clipStatus_->text());
  // The folder gives way on a narrow row; the counts around it never do.
  const std::optional<LastRun>& run = model_->lastRun();
  runStatus_->setFullText(shownText(model_->runStatus()),
                          run ? shownText(shownFolder(run->folder)) : QString());
  openRunFolderButton_->setVisible(model_->lastRunFolderIsThere());
  statusPlaces_->rearrange();
}

void MainWindow::openRunFolder() {
  const std::optional<LastRun>& run = model_->lastRun();
  if (!run || run->folder.empty()) return;
  // The desktop's file manager: xdg-open or the portal, Explorer on Windows.
  QDesktopServices::openUrl(QUrl::fromLocalFile(pathText(run->folder)));
}

void MainWindow::connectEvents() {
  MainWindowModel& m = *model_;
  for (Field field : {Field::Source, Field::ClipName, Field::ScriptName, Field::Destination}) {
    connect(fieldEdit(field), &QLineEdit::textEdited, this, [this, field](const QString& text) {
      model_->typeFieldText(field, textBytes(text, fieldLatin1_[static_cast<std::size_t>(field)]));
    });
  }
  // Enter presses the default button while a folder field has the focus;
  // in the name fields it does nothing.
  for (QLineEdit* edit : {sourceEdit_, destinationEdit_}) {
    connect(edit, &QLineEdit::returnPressed, this, [this] {
      if (defaultButton_) defaultButton_->click();
    });
  }
  connect(templateEdit_, &TemplateEditor::edited, this, [this] {
    if (!updating_) model_->templateTyped(*this);
  });
  connect(templateEdit_, &TemplateEditor::viewChanged, this, [this] { schedulePreview(); });
  connect(templateEdit_, &TemplateEditor::findRequested, findBar_, &FindBar::open);
  connect(templateEdit_, &TemplateEditor::findAgainRequested, findBar_,
          [this](bool backwards) { findBar_->findAgain(backwards); });
  connect(previewTimer_, &QTimer::timeout, this, [this] { updatePreview(); });
  // After an unavailable picture requestPicture starts a new helper, which
  // finds what a first start's build has made meanwhile.
  connect(pictureRetry_, &QTimer::timeout, this, &MainWindow::requestPicture);
  connect(framePane_, &FramePane::frameChanged, this, [this] { requestPicture(); });
  // The error's place is the script's: the caret goes to the template's
  // place that wrote it, and stays where it is for a place none wrote.
  connect(framePane_, &FramePane::errorClicked, this, [this](int line, int column) {
    const std::optional<TemplatePlace> place = model_->templatePlaceOf(line, column);
    if (!place) return;
    templateEdit_->setCaretAtByte(place->line, place->byte);
    templateEdit_->setFocus(Qt::OtherFocusReason);
  });
  connect(previewCheck_, &QCheckBox::toggled, this, [this](bool on) {
    showPreviewPane(on);
    userSettings().set(kPreviewShownKey, on);
  });
  connect(joinCheck_, &QCheckBox::toggled, this, [this](bool on) {
    model_->setJoin(on);
    schedulePreview();
  });

  connect(sourceFolderButton_, &QPushButton::clicked, this,
          [this] { model_->event([this] { model_->pickSourceFolder(); }); });
  connect(destinationFolderButton_, &QPushButton::clicked, this,
          [this] { model_->event([this] { model_->pickDestinationFolder(); }); });
  connect(createScriptsButton_, &QPushButton::clicked, this, [this] { runCreateScripts(); });
  connect(selectAllButton_, &QPushButton::clicked, this,
          [this] { model_->event([this] { model_->toggleSelectAll(); }); });
  auto load = [this] {
    model_->event([this] { model_->loadTemplate(); });
    showStatus();
  };
  auto save = [this] {
    model_->event([this] { model_->saveTemplate(); });
    showStatus();
  };
  auto editFilters = [this] { model_->event([this] { model_->editFilters(); }); };
  connect(loadTemplateButton_, &QPushButton::clicked, this, load);
  connect(loadTemplateAction_, &QAction::triggered, this, load);
  connect(saveTemplateButton_, &QPushButton::clicked, this, save);
  connect(saveTemplateAction_, &QAction::triggered, this, save);
  connect(saveDefaultTemplateAction_, &QAction::triggered, this,
          [this] { model_->event([this] { model_->saveDefaultTemplate(); }); });
  connect(editFiltersButton_, &QPushButton::clicked, this, editFilters);
  connect(editFiltersAction_, &QAction::triggered, this, editFilters);
  connect(loadInisAction_, &QAction::triggered, this,
          [this] { model_->event([this] { model_->toggleLoadInis(); }); });
  connect(saveInisAction_, &QAction::triggered, this,
          [this] { model_->event([this] { model_->toggleSaveInis(); }); });
  connect(exitAction_, &QAction::triggered, this, &QWidget::close);
  connect(avisynthLibraryAction_, &QAction::triggered, this, [this] { chooseAvisynthLibrary(); });

  filterList_->onToggle = [&m](int row) { m.toggleFilter(static_cast<std::size_t>(row)); };
  filterList_->onClick = [&m] { m.clickFilter(); };

  connect(clipList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            if (updating_) return;
            for (const QItemSelectionRange& range : deselected) {
              for (int row = range.top(); row <= range.bottom(); ++row)
                model_->setClipSelected(static_cast<std::size_t>(row), false);
            }
            for (const QItemSelectionRange& range : selected) {
              for (int row = range.top(); row <= range.bottom(); ++row)
                model_->setClipSelected(static_cast<std::size_t>(row), true);
            }
            schedulePreview();
            showStatus();
          });

  // The find bar's letters, as the window's widgets bear them.
  for (QWidget* owner : std::initializer_list<QWidget*>{clipNameEdit_, scriptNameEdit_}) {
    for (QLabel* label : centralWidget()->findChildren<QLabel*>()) {
      if (label->buddy() == owner) yielded_.push_back({label, label->text()});
    }
  }
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
           sourceFolderButton_, createScriptsButton_, selectAllButton_})
    yielded_.push_back({b, b->text()});

  // The menu's shortcuts come before the keys the edits claim for
  // themselves (Ctrl+A, Ctrl+X), in every widget of the window.
  for (QWidget* widget : findChildren<QWidget*>())
    widget->installEventFilter(this);
}

// --- Window handlers --------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (claimsKey(QKeySequence(key->keyCombination()))) {
        // Not accepted, so the shortcut goes to the menu; not delivered,
        // so the edit cannot claim it.
        event->ignore();
        return true;
      }
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (handleDrop(watched, event)) return true;
      break;
    case QEvent::Show:
    case QEvent::Hide:
      if (watched == findBar_) yieldMnemonicsToFindBar(event->type() == QEvent::Show);
      break;
    case QEvent::FocusIn:
      if (watched == sourceEdit_) sourceFocusIn();
      if (watched == destinationEdit_) destinationFocusIn();
      break;
    case QEvent::FocusOut:
      if (watched == sourceEdit_) {
        sourceFocusOut();
        sourceLeft(static_cast<QFocusEvent*>(event)->reason());
      }
      if (watched == destinationEdit_) destinationFocusOut();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::yieldMnemonicsToFindBar(bool open) {
  for (const YieldedMnemonic& y : yielded_) {
    const QString caption = open ? withoutAmpersand(y.caption) : y.caption;
    if (auto* label = qobject_cast<QLabel*>(y.widget)) {
      label->setText(caption);
    } else if (auto* b = qobject_cast<QAbstractButton*>(y.widget)) {
      b->setText(caption);
    }
  }
}

void MainWindow::setDefaultButton(QPushButton* button) {
  if (defaultButton_) defaultButton_->setDefault(false);
  defaultButton_ = button;
  if (defaultButton_) defaultButton_->setDefault(true);
}

void MainWindow::sourceFocusIn() {
  setDefaultButton(sourceFolderButton_);
}

void MainWindow::sourceFocusOut() {
  if (defaultButton_ == sourceFolderButton_) setDefaultButton(nullptr);
}

void MainWindow::sourceLeft(Qt::FocusReason reason) {
  // Leaving for another window or a menu is no commitment to the text.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
      reason == Qt::MenuBarFocusReason)
    return;
  // Once the focus has landed: a click on "Clips Folder" shows the error
  // itself, as its picker opens on the text.
  QTimer::singleShot(0, this, [this] {
    if (sourceEdit_->hasFocus()) return;
    if (focusWidget() == sourceFolderButton_ && QApplication::mouseButtons() != Qt::NoButton)
      return;
    model_->commitSourceText();
  });
}

void MainWindow::showSourceProblem() {
  const std::optional<Error>& problem = model_->sourceProblem();
  sourceProblemLabel_->setFullText(problem ? shownText(problem->lineText()) : QString());
}

void MainWindow::destinationFocusIn() {
  setDefaultButton(destinationFolderButton_);
}

void MainWindow::destinationFocusOut() {
  if (defaultButton_ == destinationFolderButton_) setDefaultButton(nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (run_) {
    run_->cancel();
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  if (model_->requestClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::runCreateScripts() {
  // One run at a time: the window stays usable while one writes.
  if (run_) return;
  // The marks and the check of the last run say nothing of this one, even
  // should it write nothing.
  checkMarks_->clear();
  createdShown_ = false;
  std::optional<RunJob> job;
  if (!model_->event([&] { job.emplace(model_->startRun()); })) return;
  UserPort& questions = *this;  // the window's own boxes, asked from the run
  run_ = std::make_unique<BackgroundRun>(
      this, questions, QString::fromStdString(model_->state().appTitle), progressDelayMs_);
  createScriptsButton_->setEnabled(false);
  if (createScriptsAction_) createScriptsAction_->setEnabled(false);
  run_->run(*job);
  createScriptsButton_->setEnabled(true);
  if (createScriptsAction_) createScriptsAction_->setEnabled(true);
  RunOutcome outcome = RunOutcome::Completed;
  const bool finished = model_->event([&] { outcome = model_->finishRun(*job); });
  noticeLongRun(run_->elapsedMs(), !finished || outcome != RunOutcome::Completed);
  run_.reset();
  // The script just written is there now, which the preview's title says.
  schedulePreview();
  // The scripts the run listed are checked with AviSynth+ in the
  // background, as the model decides; the list's lines are marked as they are.
  if (createdShown_) checkMarks_->checkLastRun(*model_);
  // The window was closed while the run wrote: the run stopped, the close
  // goes on now, asking what it asks.
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void MainWindow::chooseAvisynthLibrary() {
  const std::string current = model_->avisynthLibrary();
  if (const auto chosen = files_.library(this, current)) {
    model_->event([&] { model_->setAvisynthLibrary(*chosen); });
    requestPicture();
    functionTables_->load(model_->checkOptions());
  }
}

// --- FrontEnd ---------------------------------------------------------------

Answer MainWindow::messageBox(MessageKind kind, Buttons buttons, std::string_view text) {
  // The questions' texts break their lines with CR LF.
  QString shown = shownText(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return boxes_.ask(this, kind, buttons, shown);
}

void MainWindow::focus(Field field) {
  fieldEdit(field)->setFocus();
}

void MainWindow::errorBox(const Error& error) {
  boxes_.error(this, QString::fromStdString(model_->state().appTitle),
               shownText(error.boxTextWithSubject()));
}

std::optional<FileChoice> MainWindow::openDialog(int typeIndex) {
  return files_.open(this, typeIndex, model_->dialogFolder());
}

std::optional<FileChoice> MainWindow::saveDialog(std::string_view presetName, int typeIndex) {
  return files_.save(this, presetName, typeIndex, model_->saveDialogFolder());
}

std::optional<std::vector<std::string>> MainWindow::filterEditor(
    const std::vector<std::string>& lines) {
  if (!dialogs_) return std::nullopt;
  return dialogs_->editFilters(lines);
}

std::optional<std::string> MainWindow::pickFolder(FolderPickerFor which, std::string_view boxText,
                                                  std::string_view baseFolder) {
  if (!dialogs_) return std::nullopt;
  return dialogs_->pickFolder(which, boxText, baseFolder);
}

bool MainWindow::proceed(std::size_t, std::size_t) {
  // The window's runs report to their BackgroundRun on their own thread.
  return true;
}

void MainWindow::shown(Shown what, Field field) {
  if (what != Shown::Modified && what != Shown::CreatedScripts && what != Shown::OptionFlags)
    schedulePreview();
  switch (what) {
    case Shown::Field:
      showField(field);
      break;
    case Shown::Template:
      showTemplate();
      break;
    case Shown::Filters:
      filterModel_->refresh();
      break;
    case Shown::Clips:
      showClips(true);
      break;
    case Shown::ClipSelection:
      showClips(false);
      break;
    case Shown::CreatedScripts:
      showCreatedScripts();
      break;
    case Shown::OptionFlags:
      showOptionFlags();
      break;
    case Shown::Modified:  // the window shows no mark of its own
      break;
    case Shown::RecentTemplates:
      showRecentTemplates();
      break;
    case Shown::KeyScheme:
      applyKeyScheme();
      break;
    case Shown::SourceProblem:
      showSourceProblem();
      break;
  }
  showStatus();
}

TemplateText MainWindow::templateText() {
  // The editor holds the template's bytes as they are, so they are read back
  // without a conversion, each line shown a line, the empty last one too.
  const std::string_view bytes = templateEdit_->bytes();
  if (bytes.empty() && emptyIsOneLine_) return TemplateText(TemplateLines("\n"));
  return TemplateText::fromShown(bytes);
}

TemplateText MainWindow::templateTextAt(std::size_t first, std::size_t count) {
  std::string lines;
  const std::size_t total = templateEdit_->lineCount();
  // Every line shown is a line, the empty last one too; an empty editor
  // holds none, unless it shows a template of one empty line.
  const bool empty = total == 1 && templateEdit_->lineBytes(0).empty();
  const std::size_t last = empty && !emptyIsOneLine_ ? 0 : total;
  for (std::size_t line = first; line < last && line - first < count; ++line)
    lines.append(templateEdit_->lineBytes(line)).append(1, '\n');
  return TemplateText(TemplateLines(lines));
}

// --- Showing the model --------------------------------------------------------

QLineEdit* MainWindow::fieldEdit(Field field) const {
  switch (field) {
    case Field::Source:
      return sourceEdit_;
    case Field::ClipName:
      return clipNameEdit_;
    case Field::ScriptName:
      return scriptNameEdit_;
    case Field::Destination:
      return destinationEdit_;
  }
  return sourceEdit_;
}

void MainWindow::showField(Field field) {
  const std::string& text = model_->fieldText(field);
  fieldLatin1_[static_cast<std::size_t>(field)] = !isValidUtf8(text);
  QLineEdit* edit = fieldEdit(field);
  const QString shown = shownText(text);
  // textEdited is the user's alone, so setText raises no second change.
  if (edit->text() != shown) edit->setText(shown);
}

void MainWindow::showTemplate() {
  // Each line is followed by "\n"; the editor shows no empty line after the last.
  std::string_view text = model_->templateText().text();
  if (!text.empty()) text.remove_suffix(1);
  // One empty line shows as an empty editor, which otherwise holds no lines.
  emptyIsOneLine_ = text.empty() && !model_->templateText().text().empty();
  const bool wasUpdating = std::exchange(updating_, true);
  templateEdit_->setBytes(text);
  updating_ = wasUpdating;
}

void MainWindow::showClips(bool entriesChanged) {
  const ClipList& clips = model_->clips();
  const bool wasUpdating = std::exchange(updating_, true);
  if (entriesChanged) clipModel_->refresh();
  QItemSelection selection;
  for (std::size_t i = 0; i < clips.count();) {
    if (!clips.isSelected(i)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end + 1 < clips.count() && clips.isSelected(end + 1))
      ++end;
    selection.select(clipModel_->index(static_cast<int>(i)),
                     clipModel_->index(static_cast<int>(end)));
    i = end + 1;
  }
  QItemSelectionModel* selectionModel = clipList_->selectionModel();
  selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
  updating_ = wasUpdating;
}

void MainWindow::showCreatedScripts() {
  createdShown_ = true;
  if (checkMarks_) checkMarks_->clear();
  createdScripts_->setPlainText(shownText(joinLines(model_->createdScripts())));
}

void MainWindow::schedulePreview() {
  if (!preview_->isHidden()) previewTimer_->start();
}

void MainWindow::updatePreview() {
  previewTimer_->stop();
  if (preview_->isHidden()) return;
  const std::size_t lines =
      std::max(templateEdit_->visibleLineCount(), preview_->visibleLineCount());
  preview_->showPreview(model_->preview(templateEdit_->firstVisibleLine(), lines),
                        !templateEdit_->showsLatin1());
  requestPicture();
}

void MainWindow::requestPicture() {
  if (preview_->isHidden()) return;
  const auto asked = model_->requestPicture(
      static_cast<std::size_t>(std::max(templateEdit_->length(), 0)), framePane_->frame());
  if (asked == ScriptChecks::Picture::NoClip) {
    framePane_->showNote(QStringLiteral("Choose a clip to see its picture"));
  } else if (asked == ScriptChecks::Picture::TooLarge) {
    framePane_->showNote(QStringLiteral("No picture: the template is over %1 MiB.")
                             .arg(kPictureTemplateBytes >> 20));
  }
}

void MainWindow::showPicture(const PictureShown& shown) {
  if (shown.unavailable) {
    framePane_->showNote(shownText(shown.note));
    if (shown.retry) pictureRetry_->start();
  } else {
    framePane_->showCheck(shown.check);
  }
  framePane_->setToolTip(shownText(shown.avisynth));
}

void MainWindow::showPreviewPane(bool shown) {
  const bool wasBlocked = previewCheck_->blockSignals(true);
  previewCheck_->setChecked(shown);
  previewCheck_->blockSignals(wasBlocked);
  const bool was = !preview_->isHidden();
  if (placed_ && was && !shown) shownPictureWidth_ = framePane_->width();
  preview_->setVisible(shown);
  framePane_->setVisible(shown);
  // The window's least size is another with the picture or without.
  for (QWidget* w : std::initializer_list<QWidget*>{framePane_, pictureSplit_, centralWidget()})
    w->updateGeometry();
  sharePanes(shown);
  // Shown or hidden once the window is up: the window grows or shrinks by
  // the picture's width, so that the drawn layout keeps its own.
  if (placed_ && was != shown && !isMaximized()) {
    const int kept = shownPictureWidth_ > 0 ? shownPictureWidth_ : pictureWanted();
    const int picture = (shown ? kept : shownPictureWidth_) + pictureSplit_->handleWidth();
    const int left = drawn_->width();
    const QRect now = normalGeometry();
    // A screen too narrow for both kept the window narrower than the sum:
    // hidden, the picture leaves the drawn width at least.
    const int width = shown ? now.width() + picture
                            : std::max(now.width() - picture, std::min(kDrawnWidth, now.width()));
    placeAt(WindowRect{now.x(), now.y(), width, now.height()});
    // Once the window's layout has taken the new width.
    if (shown) {
      QTimer::singleShot(0, this, [this, left] {
        pictureSplit_->setSizes(
            {left, pictureSplit_->width() - pictureSplit_->handleWidth() - left});
      });
    }
  }
  if (shown) updatePreview();
}

void MainWindow::showOptionFlags() {
  const OptionFlags& flags = model_->optionFlags();
  loadInisAction_->setChecked(flags.loadInis);
  saveInisAction_->setChecked(flags.saveInis);
}

}  // namespace clipquill
