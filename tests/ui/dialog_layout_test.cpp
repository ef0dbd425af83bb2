// SPDX-License-Identifier: GPL-3.0-or-later
// Every dialog as the desktop's fonts and scale make it: never smaller than
// its design, its caption whole in the title bar, every text and button
// whole inside it. CTest runs it as it is and again with QT_SCALE_FACTOR=2;
// each dialog is also made at a large application font.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/filter_editor_dialog.h"
#include "ui/folder_picker_dialog.h"
#include "ui/new_folder_dialog.h"
#include "ui/usage_dialog.h"

namespace clipquill {
namespace {

// What the dialog's widgets need, against what they were given.
void expectWhole(QDialog* dialog, QSize design) {
  const QString name = dialog->metaObject()->className() + QStringLiteral(" at ") +
                       QString::number(QApplication::font().pixelSize()) + QStringLiteral("px");
  QVERIFY2(dialog->width() >= design.width() && dialog->height() >= design.height(),
           qPrintable(name));
  QVERIFY2(dialog->minimumWidth() >= design.width() && dialog->minimumHeight() >= design.height(),
           qPrintable(name));
  QFont title = dialog->font();
  title.setBold(true);
  QVERIFY2(dialog->minimumWidth() > QFontMetrics(title).horizontalAdvance(dialog->windowTitle()),
           qPrintable(name + QStringLiteral(": caption ") + dialog->windowTitle()));

  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(dialog) || w->isWindow()) continue;
    const QString what = name + QStringLiteral(": ") + w->objectName();
    QSize needed;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      needed =
          label->wordWrap() ? QSize(1, label->heightForWidth(label->width())) : label->sizeHint();
    } else if (qobject_cast<QPushButton*>(w) != nullptr) {
      needed = w->sizeHint();
    } else if (qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr) {
      needed = QSize(1, w->sizeHint().height());
    } else {
      continue;
    }
    QVERIFY2(w->width() >= needed.width() && w->height() >= needed.height(), qPrintable(what));
    const QRect placed(w->mapTo(dialog, QPoint(0, 0)), w->size());
    QVERIFY2(dialog->rect().contains(placed), qPrintable(what + QStringLiteral(" outside")));
  }
}

}  // namespace

class DialogLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void textsAndCaptionsAreWhole_data() {
    QTest::addColumn<int>("pixels");  // the application font's size; 0 for the usual
    QTest::newRow("usual font") << 0;
    QTest::newRow("large font") << 26;
  }

  void textsAndCaptionsAreWhole() {
    QFETCH(int, pixels);
    const QFont usual = QApplication::font();
    if (pixels > 0) {
      QFont large = usual;
      large.setPixelSize(pixels);
      QApplication::setFont(large);
    }
    const struct {
      std::function<QDialog*()> make;
      QSize design;
    } dialogs[] = {
        {[] { return new FilterEditorDialog; }, {139, 214}},
        {[] { return new UsageDialog; }, {472, 606}},
        {[] { return new AboutBox; }, {362, 208}},
        {[] { return new NewFolderDialog; }, {216, 111}},
    };
    for (const auto& d : dialogs) {
      std::unique_ptr<QDialog> dialog(d.make());
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
      expectWhole(dialog.get(), d.design);
    }

    // The picker takes its caption, the longer one here, when it opens.
    testing::TempDir home;
    FolderPickerDialog picker(home.path());
    bool checked = false;
    QTimer::singleShot(0, &picker, [&] {
      expectWhole(&picker, {313, 411});
      checked = true;
      picker.reject();
    });
    picker.pick(FolderPickerFor::Scripts, "", home.path());
    QVERIFY(checked);
    QCOMPARE(picker.windowTitle(), QStringLiteral("Select Scripts Destination"));
    QApplication::setFont(usual);
  }

  // In the usual font the design's size is all a dialog takes, but where its
  // caption asks for more width.
  void theUsualFontGivesTheDesignsSize() {
    NewFolderDialog newFolder;
    QCOMPARE(newFolder.height(), 111);
    FilterEditorDialog filters;
    QCOMPARE(filters.height(), 214);
  }
};

}  // namespace clipquill

QTEST_MAIN(clipquill::DialogLayoutTest)
#include "dialog_layout_test.moc"
