// SPDX-License-Identifier: GPL-3.0-or-later
// The real message boxes and file dialogs: captions, buttons, and Escape as
// Cancel or No.
#include "ui/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <tuple>

#include "app/created_script_checks.h"
#include "support/named_child.h"
#include "support/temp_dir.h"
#include "ui/avs_lexer.h"
#include "ui/editor_accessible.h"
#include "ui/elided_label.h"
#include "ui/find_bar.h"
#include "ui/list_views.h"
#include "ui/object_names.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using clipquill::testing::child;
using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

namespace {

// Runs check on the modal dialog of type T once it is up and has settled,
// looking again every 20 ms until it is.
template <class T, class Check>
void whenModal(Check check, int tries = 100) {
  QTimer::singleShot(20, [check, tries] {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      check(dialog);
    } else if (tries > 0) {
      whenModal<T>(check, tries - 1);
    }
  });
}

QStringList buttonTexts(QMessageBox* box) {
  QStringList texts;
  for (QAbstractButton* b : box->buttons())
    texts << b->text();
  texts.sort();
  return texts;
}

}  // namespace

// The real boxes: captions, buttons, and Escape as Cancel or No.
class RealBoxesTest : public QObject {
  Q_OBJECT

 private slots:
  void boxesHaveTheirCaptionsAndButtons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("onEscape");
    QTest::newRow("warning") << int(MessageKind::Warning) << int(Buttons::OkCancel) << "Warning"
                             << QStringList{"Cancel", "OK"} << int(Answer::Cancel);
    QTest::newRow("confirm") << int(MessageKind::Confirmation) << int(Buttons::YesNo) << "Confirm"
                             << QStringList{"&No", "&Yes"} << int(Answer::No);
    QTest::newRow("information") << int(MessageKind::Information) << int(Buttons::OkCancel)
                                 << "Information" << QStringList{"Cancel", "OK"}
                                 << int(Answer::Cancel);
    QTest::newRow("error") << int(MessageKind::Error) << int(Buttons::Ok) << "Error"
                           << QStringList{"OK"} << int(Answer::Ok);
    QTest::newRow("load question")
        << int(MessageKind::Confirmation) << int(Buttons::YesNoCancel) << "Confirm"
        << QStringList{"&No", "&Yes", "Cancel"} << int(Answer::Cancel);
    QTest::newRow("close prompt") << int(MessageKind::Information)
                                  << int(Buttons::SaveDontSaveCancel) << "Information"
                                  << QStringList{"&Don't Save", "&Save", "Cancel"}
                                  << int(Answer::Cancel);
    QTest::newRow("replace") << int(MessageKind::Warning) << int(Buttons::ReplaceAllSkip)
                             << "Warning" << QStringList{"Cancel", "OK", "Replace &All", "S&kip"}
                             << int(Answer::Cancel);
  }
  void boxesHaveTheirCaptionsAndButtons() {
    QFETCH(int, kind);
    QFETCH(int, buttons);
    QFETCH(QString, caption);
    QFETCH(QStringList, texts);
    QFETCH(int, onEscape);
    QString seenCaption;
    QStringList seenTexts;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      seenCaption = box->windowTitle();
      seenTexts = buttonTexts(box);
      QTest::keyClick(box, Qt::Key_Escape);
    });
    const Answer answer = qtMessageBoxes().ask(nullptr, MessageKind(kind), Buttons(buttons), "?");
    QCOMPARE(seenCaption, caption);
    QCOMPARE(seenTexts, texts);
    QCOMPARE(int(answer), onEscape);
  }

  void theErrorBoxIsCaptionedWithTheTitle() {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      caption = box->windowTitle();
      icon = box->icon();
      box->close();
    });
    qtMessageBoxes().error(nullptr, "Clipquill", "File not found.");
    QCOMPARE(caption, QStringLiteral("Clipquill"));
    QCOMPARE(icon, QMessageBox::Critical);
  }

  // A short message is no reason to cut the caption, and a long path on the
  // second line is shown whole.
  void theErrorBoxShowsItsCaptionAndTextWhole_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << "File not found.";
    QTest::newRow("long path") << "File not found.\n/home/someone/videos/" + QString(60, 'x');
  }
  void theErrorBoxShowsItsCaptionAndTextWhole() {
    QFETCH(QString, text);
    int boxWidth = 0, labelWidth = 0, captionWidth = 0, lineWidth = 0;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      QFont bold = box->font();
      bold.setBold(true);
      captionWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
      auto* label = box->findChild<QLabel*>("qt_msgbox_label");
      for (const QString& line : text.split('\n'))
        lineWidth = std::max(lineWidth, label->fontMetrics().horizontalAdvance(line));
      boxWidth = box->width();
      labelWidth = label->contentsRect().width();
      box->close();
    });
    qtMessageBoxes().error(nullptr, "Clipquill", text);
    // The window manager draws the caption beside its own buttons.
    QVERIFY2(boxWidth >= captionWidth + 100, qPrintable(QString::number(boxWidth)));
    QVERIFY2(labelWidth >= lineWidth,
             qPrintable(QString("%1 < %2").arg(labelWidth).arg(lineWidth)));
  }

  // The dialogs start on the kept type, the save dialog with the preset name;
  // Cancel gives nothing.
  void theFileDialogsStartOnTheirTypeAndPreset() {
    QStringList filters;
    QString selected, preset, folder, presetSelected;
    TempDir dir;
    auto look = [&](QFileDialog* dialog) {
      QTest::qWait(50);  // as the user sees it once it has settled
      filters = dialog->nameFilters();
      selected = dialog->selectedNameFilter();
      preset = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
      presetSelected = dialog->findChild<QLineEdit*>("fileNameEdit")->selectedText();
      folder = dialog->directory().absolutePath();
      dialog->reject();
    };
    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().save(nullptr, "Hall.qtpl", 2, dir.path()));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("AVISynth (*.avs)"));
    QCOMPARE(preset, QStringLiteral("Hall.qtpl"));
    QCOMPARE(presetSelected, preset);  // typing replaces the proposal
    QCOMPARE(folder, QString::fromStdString(dir.path()));

    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().open(nullptr, 3, dir.path()));
    QCOMPARE(folder, QString::fromStdString(dir.path()));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth Script (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("Text files (*.txt)"));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  RealBoxesTest boxes;
  return QTest::qExec(&boxes, argc, argv);
}
#include "message_boxes_test.moc"
