// SPDX-License-Identifier: GPL-3.0-or-later
// The widgets' object names, declared once: their stable handles, by which
// the tests and accessibility tools find them whatever the members are
// called. The code that names a widget and the tests that look for it both
// use these. Beside each: the class that holds it and its member there.
#pragma once

namespace clipquill::objectNames {

// MainWindow
inline constexpr char kLocLabeledEdit[] = "LocLabeledEdit";            // sourceEdit_
inline constexpr char kCapFldrButton[] = "CapFldrButton";              // sourceFolderButton_
inline constexpr char kSourceProblemLabel[] = "SourceProblemLabel";    // sourceProblemLabel_
inline constexpr char kTemplateStatus[] = "TemplateStatus";            // templateStatus_
inline constexpr char kEncodingStatus[] = "EncodingStatus";            // encodingStatus_
inline constexpr char kClipStatus[] = "ClipStatus";                    // clipStatus_
inline constexpr char kRunStatus[] = "RunStatus";                      // runStatus_
inline constexpr char kCheckStatus[] = "CheckStatus";                  // checkStatus_
inline constexpr char kOpenRunFolderButton[] = "OpenRunFolderButton";  // openRunFolderButton_
inline constexpr char kClipNameLabeledEdit[] = "ClipNameLabeledEdit";  // clipNameEdit_
inline constexpr char kScriptLabeledEdit[] = "ScriptLabeledEdit";      // scriptNameEdit_
inline constexpr char kDestLabeledEdit[] = "DestLabeledEdit";          // destinationEdit_
inline constexpr char kScrFldrButton[] = "ScrFldrButton";              // destinationFolderButton_
inline constexpr char kScriptMemo[] = "ScriptMemo";  // templateEdit_ (a TemplateEditor)
inline constexpr char kTemplateSplitter[] =
    "TemplateSplitter";                        // the editor above, the preview below
inline constexpr char kFindBar[] = "FindBar";  // findBar_

// FindBar
inline constexpr char kFindEdit[] = "FindEdit";                    // findEdit_
inline constexpr char kReplaceEdit[] = "ReplaceEdit";              // replaceEdit_
inline constexpr char kMatchCaseCheckBox[] = "MatchCaseCheckBox";  // matchCase_
inline constexpr char kFindNextButton[] = "FindNextButton";        // nextButton_
inline constexpr char kReplaceButton[] = "ReplaceButton";          // replaceButton_
inline constexpr char kReplaceAllButton[] = "ReplaceAllButton";    // replaceAllButton_
inline constexpr char kFindCloseButton[] = "FindCloseButton";      // closeButton_
inline constexpr char kFindStatusLabel[] = "FindStatusLabel";      // status_

// MainWindow
inline constexpr char kPreviewCheckBox[] = "PreviewCheckBox";  // previewCheck_
inline constexpr char kPreviewPane[] = "PreviewPane";          // preview_
// The drawn layout on the left, the preview's picture (framePane_) on the right.
inline constexpr char kPictureSplitter[] = "PictureSplitter";  // pictureSplit_
inline constexpr char kStatusPlaces[] = "StatusPlaces";        // statusPlaces_

// PreviewPane
inline constexpr char kPreviewTitle[] = "PreviewTitle";  // title_
inline constexpr char kPreviewText[] = "PreviewText";    // text_

// FramePane
inline constexpr char kFramePane[] = "FramePane";        // the pane itself (MainWindow::framePane_)
inline constexpr char kFramePicture[] = "FramePicture";  // picture_
inline constexpr char kFrameSliderLabel[] = "FrameSliderLabel";  // sliderLabel_
inline constexpr char kFrameSlider[] = "FrameSlider";            // slider_
inline constexpr char kFrameNumber[] = "FrameNumber";            // frameLabel_
inline constexpr char kActualSizeButton[] = "ActualSizeButton";  // actualSize_
inline constexpr char kClipProperties[] = "ClipProperties";      // properties_
inline constexpr char kScriptError[] = "ScriptError";            // error_

// MainWindow
inline constexpr char kCreateScriptsButton[] = "CreateScriptsButton";  // createScriptsButton_
inline constexpr char kJoinScriptsCheckBox[] = "JoinScriptsCheckBox";  // joinCheck_
inline constexpr char kClipFileListBox[] = "ClipFileListBox";          // clipList_
inline constexpr char kSelectAllButton[] = "SelectAllButton";          // selectAllButton_
inline constexpr char kLoadSriptButton[] = "LoadSriptButton";          // loadTemplateButton_
inline constexpr char kSaveScriptButton[] = "SaveScriptButton";        // saveTemplateButton_
inline constexpr char kScriptNameMemo[] =
    "ScriptNameMemo";                                    // createdScripts_ (a CreatedScriptsView)
inline constexpr char kProblemsList[] = "ProblemsList";  // problemsList_

// ScriptViewDialog
inline constexpr char kScriptViewDialog[] = "ScriptViewDialog";    // the dialog, text_
inline constexpr char kScriptViewText[] = "ScriptViewText";        // the dialog, text_
inline constexpr char kScriptViewProblem[] = "ScriptViewProblem";  // problem_

// MainWindow
inline constexpr char kFilterByCheckListBox[] = "FilterByCheckListBox";  // filterList_
inline constexpr char kEditFiltersButton[] = "EditFiltersButton";        // editFiltersButton_
inline constexpr char kFile1[] = "File1";                                // the menus (no member)
inline constexpr char kOptions1[] = "Options1";                          // the menus (no member)
inline constexpr char kHelp1[] = "Help1";                                // the menus (no member)
inline constexpr char kLoadTemplate1[] = "LoadTemplate1";                // loadTemplateAction_
inline constexpr char kSaveTemplate1[] = "SaveTemplate1";                // saveTemplateAction_
inline constexpr char kSaveDefaultTemplate1[] =
    "SaveDefaultTemplate1";                                      // saveDefaultTemplateAction_
inline constexpr char kEditFilters1[] = "EditFilters1";          // editFiltersAction_
inline constexpr char kExit1[] = "Exit1";                        // exitAction_
inline constexpr char kLoadInis[] = "LoadInis";                  // loadInisAction_
inline constexpr char kSaveInis[] = "SaveInis";                  // saveInisAction_
inline constexpr char kAvisynthLibrary[] = "AvisynthLibrary";    // avisynthLibraryAction_
inline constexpr char kUsing1[] = "Using1";                      // usageAction_
inline constexpr char kAbout1[] = "About1";                      // aboutAction_
inline constexpr char kRecentTemplates1[] = "RecentTemplates1";  // recentMenu_
inline constexpr char kStandardKeys1[] = "StandardKeys1";        // standardKeysAction_
inline constexpr char kNameToLastDot1[] = "NameToLastDot1";      // nameToLastDotAction_
inline constexpr char kCreateScripts1[] = "CreateScripts1";      // createScriptsAction_
inline constexpr char kCreateScriptsProgress[] =
    "CreateScriptsProgress";  // the run's progress dialog

// FolderPickerDialog
inline constexpr char kTFolderListerDlg[] = "TFolderListerDlg";  // the dialog itself

// FolderPickerDialog, NewFolderDialog, FilterEditorDialog
inline constexpr char kBevel1[] = "Bevel1";  // frame_

// FolderPickerDialog
inline constexpr char kDriveComboBox1[] = "DriveComboBox1";        // driveBox_
inline constexpr char kDirectoryListBox1[] = "DirectoryListBox1";  // folderList_
inline constexpr char kNewFolderButton[] = "NewFolderButton";      // newFolderButton_

// FolderPickerDialog, NewFolderDialog, FilterEditorDialog
inline constexpr char kOKBtn[] = "OKBtn";  // okButton_; UsageDialog's closeButton_

// FolderPickerDialog, NewFolderDialog
inline constexpr char kCancelBtn[] = "CancelBtn";  // cancelButton_

// NewFolderDialog
inline constexpr char kTNewFolderDlg[] = "TNewFolderDlg";            // the dialog itself
inline constexpr char kNewNameLabel[] = "NewNameLabel";              // nameLabel_
inline constexpr char kNewNameLabeledEdit[] = "NewNameLabeledEdit";  // nameEdit_

// FilterEditorDialog
inline constexpr char kFilterMemo[] = "FilterMemo";  // text_

// UsageDialog
inline constexpr char kMemo1[] = "Memo1";  // text_

// AboutBox
inline constexpr char kPanel1[] = "Panel1";            // panel_
inline constexpr char kProgramIcon[] = "ProgramIcon";  // icon_
inline constexpr char kProductName[] = "ProductName";  // productName_

// AboutBox, SplashScreen
inline constexpr char kVersion[] = "Version";  // version_

// AboutBox
inline constexpr char kCopyright[] = "Copyright";  // copyright_
inline constexpr char kComments[] = "Comments";    // comments_
inline constexpr char kOKButton[] = "OKButton";    // okButton_

// SplashScreen
inline constexpr char kSplashScreen[] = "SplashScreen";              // the window itself
inline constexpr char kImage1[] = "Image1";                          // picture_
inline constexpr char kAppName[] = "AppName";                        // appName_
inline constexpr char kLoadingProgressBar[] = "LoadingProgressBar";  // progressBar_

}  // namespace clipquill::objectNames
