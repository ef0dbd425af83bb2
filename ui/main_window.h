// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, MainWindow: Qt widgets bound to MainWindowModel. Every rule
// lives in the model; the window shows what the model holds, hands it what
// the user does, and answers its questions with real dialogs.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "ui/dialogs.h"
#include "ui/file_dialogs.h"
#include "ui/message_boxes.h"

class QAbstractScrollArea;
class QAction;
class QGridLayout;
class QKeySequence;
class QMenu;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;
class QVBoxLayout;

namespace clipquill {

class BackgroundRun;
class ClipListModel;
class CreatedScriptChecks;
class CreatedScriptMarks;
class ElidedLabel;
class FilterCheckList;
class FilterListModel;
class FindBar;
class FramePane;
class PreviewPane;
class StatusPlaces;
class TemplateEditor;
class FunctionTableLoader;

// Where the window meets the person and the machine. Tests answer the
// questions through their own boxes and dialogs.
struct MainWindowSetup {
  StartupArgs startup;
  std::string registryRoot;       // the option flags' store
  MessageBoxes* boxes = nullptr;  // nullptr: the real boxes
  FileDialogs* files = nullptr;   // nullptr: the real dialogs
  // Where the user's own settings live; nothing: none are read or kept.
  std::optional<UserConfigPlace> userConfig = std::nullopt;
};

class MainWindow : public QMainWindow, private FrontEnd, private TemplateSource {
  Q_OBJECT

 public:
  // Builds the widgets, then runs the start-up sequence (start), which
  // loads the start-up template; the window is not shown yet.
  explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The dialogs, plugged in once start-up has created them. Until then the
  // buttons that open them do nothing.
  void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
  // What makes each menu item's dialog, for start-up to make them in turn.
  const MenuDialogMakers& menuDialogs() const { return menuDialogs_; }

  MainWindowModel& model() { return *model_; }
  // The created scripts' check with AviSynth+, as the list shows it.
  const CreatedScriptChecks& scriptChecks() const;

  // How long "Create Script(s)" runs before its progress dialog shows.
  void setProgressDelay(int ms) { progressDelayMs_ = ms; }

  // The preview, worked out now rather than once typing pauses.
  void refreshPreview() { updatePreview(); }

  // The button Enter presses while a field has the focus, if any.
  QPushButton* defaultButton() const { return defaultButton_; }

  // How long a run must take for its end to be worth a desktop notification.
  void setNotifyAfter(int ms) { notifyAfterMs_ = ms; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // --- Widgets, in tab order; their object names are in ui/README.md -----
  QLineEdit* sourceEdit_;
  QPushButton* sourceFolderButton_;
  QLineEdit* clipNameEdit_;
  QLineEdit* scriptNameEdit_;
  QLineEdit* destinationEdit_;
  QPushButton* destinationFolderButton_;
  TemplateEditor* templateEdit_;
  // The editor's knowledge of the installed AviSynth+ (ui/editor_assist.h).
  FunctionTableLoader* functionTables_;
  QPushButton* createScriptsButton_;
  QCheckBox* joinCheck_;
  QListView* clipList_;
  QPushButton* selectAllButton_;
  QPushButton* loadTemplateButton_;
  QPushButton* saveTemplateButton_;
  QPlainTextEdit* createdScripts_;  // a CreatedScriptsView
  QListWidget* problemsList_;       // the scripts that failed their check
  FilterCheckList* filterList_;
  QPushButton* editFiltersButton_;
  // The folder error of the source field's text, shown while typing.
  ElidedLabel* sourceProblemLabel_;
  // The status bar: the template, the clip counts, the last run and a
  // button that opens the folder it wrote to.
  ElidedLabel* templateStatus_;
  QLabel* encodingStatus_;  // the template's text encoding
  QLabel* clipStatus_;
  ElidedLabel* runStatus_;
  QPushButton* openRunFolderButton_;
  ElidedLabel* checkStatus_;    // the check of the last run's scripts
  StatusPlaces* statusPlaces_;  // holds the six above, in rows

  // --- Menu items -----------------------------------------------------------
  QAction* loadTemplateAction_;
  QAction* saveTemplateAction_;
  QAction* saveDefaultTemplateAction_;
  QAction* editFiltersAction_;
  QAction* exitAction_;
  QAction* loadInisAction_;
  QAction* saveInisAction_;
  QAction* avisynthLibraryAction_;
  QAction* usageAction_;
  QAction* aboutAction_;

  // --- The template editor's companions ---------------------------------------
  FindBar* findBar_;
  PreviewPane* preview_;
  FramePane* framePane_;     // the preview's picture, beside the drawn layout
  QCheckBox* previewCheck_;  // shows or hides the preview, remembered per user
  QTimer* previewTimer_;     // the preview is worked out once typing pauses
  // Asks again while a first start builds AviSynth+, so that the picture
  // shows once it is there, without a restart.
  QTimer* pictureRetry_;

  // The window's own handlers (the rest are the model's).
  void sourceFocusIn();
  void sourceFocusOut();
  // The source field left by the user: a held folder error is shown.
  void sourceLeft(Qt::FocusReason reason);
  void showSourceProblem();
  void destinationFocusIn();
  void destinationFocusOut();
  void chooseAvisynthLibrary();

  // FrontEnd
  Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) override;
  void focus(Field field) override;
  void errorBox(const Error& error) override;
  std::optional<FileChoice> openDialog(int typeIndex) override;
  std::optional<FileChoice> saveDialog(std::string_view presetName, int typeIndex) override;
  std::optional<std::vector<std::string>> filterEditor(
      const std::vector<std::string>& lines) override;
  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view boxText,
                                        std::string_view baseFolder) override;
  bool proceed(std::size_t written, std::size_t total) override;
  void shown(Shown what, Field field) override;
  // TemplateSource
  TemplateText templateText() override;
  TemplateText templateTextAt(std::size_t first, std::size_t count) override;

  // While the find bar is open its letters (Alt+N, W, C, R, A) are its own:
  // the window's widgets that bear them give them up until it closes.
  void yieldMnemonicsToFindBar(bool open);
  struct YieldedMnemonic {
    QWidget* widget;  // a QLabel or a QAbstractButton
    QString caption;  // with its "&"
  };
  std::vector<YieldedMnemonic> yielded_;

  void buildWidgets();
  // One group of widgets each, returned in its layout.
  QLayout* buildFields(QWidget* central);
  QLayout* buildTemplateRow(QWidget* central);
  QLayout* buildRunRow(QWidget* central);
  QLayout* buildListColumns(QWidget* central);
  void buildMenus();
  void buildStatusBar();
  void showStatus();
  void openRunFolder();
  void connectEvents();
  QLineEdit* fieldEdit(Field field) const;
  void showField(Field field);
  void showTemplate();
  void showClips(bool entriesChanged);
  void showCreatedScripts();
  void showOptionFlags();
  // The preview brought up to date soon, or now.
  void schedulePreview();
  void updatePreview();
  void showPreviewPane(bool shown);
  // The picture of the script the preview shows, asked for when it changed.
  void requestPicture();
  void showPicture(const PictureShown& shown);
  void pushSelectionToModel();
  void setDefaultButton(QPushButton* button);
  void runCreateScripts();

  struct Platform;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<MainWindowModel> model_;
  MessageBoxes& boxes_;
  FileDialogs& files_;
  Dialogs* dialogs_ = nullptr;
  MenuDialogMakers menuDialogs_;
  // A menu item that opens the dialog start-up makes as window, a Dialog.
  template <class Dialog>
  QAction* addMenuDialog(QMenu* menu, StartupWindow window, const char* name,
                         const QString& caption, const QKeySequence& keys);
  ClipListModel* clipModel_ = nullptr;
  FilterListModel* filterModel_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  std::array<bool, 4> fieldLatin1_{};  // likewise for each field
  bool updating_ = false;              // the window itself is changing widgets
  bool emptyIsOneLine_ = false;        // the empty editor shows a template of one empty line
  int progressDelayMs_ = 1000;
  std::unique_ptr<BackgroundRun> run_;  // while "Create Script(s)" writes
  bool closeAfterRun_ = false;          // the window was closed meanwhile

  // --- The layout's parts, as shares of the window -------------------------
  // The drawn layout shares what the window grows by between the template
  // and the lists in these parts; with the preview each gets what its
  // figures need.
  static constexpr int kDrawnWidth = 555;  // the drawn size, the preview hidden
  static constexpr int kDrawnHeight = 635;
  static constexpr int kTemplateShare = 3;
  static constexpr int kListsShare = 1;
  QSplitter* pictureSplit_ = nullptr;   // the drawn layout | the picture
  QSplitter* templateSplit_ = nullptr;  // the editor over the preview
  QWidget* drawn_ = nullptr;
  QVBoxLayout* drawnLayout_ = nullptr;
  QGridLayout* templateRow_ = nullptr;
  QGridLayout* listColumns_ = nullptr;
  QVBoxLayout* scriptsColumn_ = nullptr;
  QLabel* templateLabel_ = nullptr;

  // --- On the desktop (main_window_desktop.cpp) ----------------------------
  // The recent templates, the keys, drops, the window's place, the end of a
  // long run.
  void bindDesktop();
  UserSettings& userSettings();
  void placeOnScreen();
  // The window at from (nothing: the drawn size, or with fairShare the
  // first size with the preview, centred), inside the screen.
  void placeAt(std::optional<WindowRect> from, bool fairShare = false);
  void rememberPlace();
  // The height of one row of a list, and of the created-scripts list
  // showing lines whole lines with its scroll bar.
  int listRowHeight(QAbstractScrollArea* list) const;
  // Each scrolling part's least height: a few whole rows.
  void setLeastHeights();
  int scriptsHeight(int lines) const;
  // What the template row and the lists want for the figures a window with
  // the preview shows: the editor's lines, the preview's, the lists' rows.
  struct PaneNeeds {
    int editor = 0, preview = 0, templateRow = 0;
    int scripts = 0, problems = 0, lists = 0;
  };
  PaneNeeds paneNeeds() const;
  // The drawn layout's shares (preview hidden) or the panes' needs.
  void sharePanes(bool preview);
  // The first window with the preview, no size kept: as tall as the panes'
  // figures need, within the screen; then the picture's split.
  void fitToPanes();
  // The height the status bar will grow by once a run's texts are there.
  int statusToCome() const;
  void splitPicture(std::optional<int> kept);
  int pictureWanted() const;
  // The scale of the screen the window is on: its place is kept per scale.
  double screenScale() const;
  void applyKeyScheme();
  void showRecentTemplates();
  void noteOption(const QString& caption, bool on);
  bool claimsKey(const QKeySequence& pressed) const;
  bool handleDrop(QObject* watched, QEvent* event);
  void noticeLongRun(qint64 tookMs, bool stopped);
  QMenu* recentMenu_ = nullptr;
  QAction* standardKeysAction_ = nullptr;
  QAction* nameToLastDotAction_ = nullptr;
  QAction* createScriptsAction_ = nullptr;
  bool placed_ = false;
  bool fitPanes_ = false;      // the first show fits the window to its panes
  int shownPictureWidth_ = 0;  // the picture's width when last hidden
  int notifyAfterMs_ = 10'000;
  // The created scripts' check marks; createdShown_ tells a run that listed
  // scripts from one that ended before.
  CreatedScriptMarks* checkMarks_ = nullptr;
  bool createdShown_ = false;
};

}  // namespace clipquill
