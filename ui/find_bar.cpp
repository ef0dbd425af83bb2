// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/find_bar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "ui/object_names.h"
#include "ui/template_editor.h"

namespace clipquill {

namespace {

template <class W>
W* named(W* widget, const char* name, const QString& caption) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
  return widget;
}

// Tool buttons, as wide as their captions: push buttons are at least 80
// pixels each, which left the search texts no room beside the editor.
QToolButton* button(const QString& caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  return b;
}

bool fitsLatin1(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

}  // namespace

FindBar::FindBar(TemplateEditor* editor, QWidget* parent) : QWidget(parent), editor_(editor) {
  setObjectName(QString::fromLatin1(objectNames::kFindBar));
  auto* findLabel = new QLabel(QStringLiteral("Fi&nd:"), this);
  findEdit_ = named(new QLineEdit(this), objectNames::kFindEdit, QStringLiteral("Find:"));
  findLabel->setBuddy(findEdit_);
  replaceLabel_ = new QLabel(QStringLiteral("Replace &with:"), this);
  replaceEdit_ =
      named(new QLineEdit(this), objectNames::kReplaceEdit, QStringLiteral("Replace with:"));
  replaceLabel_->setBuddy(replaceEdit_);
  matchCase_ = named(new QCheckBox(QStringLiteral("Match &case"), this),
                     objectNames::kMatchCaseCheckBox, QStringLiteral("Match case"));
  nextButton_ = named(button(QStringLiteral("Find Next"), this), objectNames::kFindNextButton,
                      QStringLiteral("Find Next"));
  replaceButton_ = named(button(QStringLiteral("&Replace"), this), objectNames::kReplaceButton,
                         QStringLiteral("Replace"));
  replaceAllButton_ = named(button(QStringLiteral("Replace &All"), this),
                            objectNames::kReplaceAllButton, QStringLiteral("Replace All"));
  closeButton_ = named(button(QStringLiteral("Close"), this), objectNames::kFindCloseButton,
                       QStringLiteral("Close"));
  status_ = named(new QLabel(this), objectNames::kFindStatusLabel, QString());

  // A filter's name fits whole: the bar takes that much room from the
  // picture beside the window's layout when it opens, not from the edits.
  for (QLineEdit* edit : {findEdit_, replaceEdit_})
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 16);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(findEdit_, 0, 1);
  grid->addWidget(nextButton_, 0, 2);
  grid->addWidget(matchCase_, 0, 3);
  grid->addWidget(closeButton_, 0, 4);
  grid->addWidget(replaceLabel_, 1, 0);
  grid->addWidget(replaceEdit_, 1, 1);
  grid->addWidget(replaceButton_, 1, 2);
  grid->addWidget(replaceAllButton_, 1, 3);
  grid->addWidget(status_, 1, 4);
  grid->setColumnStretch(1, 1);

  connect(findEdit_, &QLineEdit::returnPressed, this, [this] { findAgain(); });
  connect(replaceEdit_, &QLineEdit::returnPressed, this, [this] { replaceOne(); });
  connect(nextButton_, &QToolButton::clicked, this, [this] { findAgain(); });
  connect(replaceButton_, &QToolButton::clicked, this, [this] { replaceOne(); });
  connect(replaceAllButton_, &QToolButton::clicked, this, [this] { replaceAll(); });
  connect(closeButton_, &QToolButton::clicked, this, [this] {
    hide();
    editor_->setFocus();
  });
  hide();
}

void FindBar::open(bool replace) {
  for (QWidget* w : std::initializer_list<QWidget*>{replaceLabel_, replaceEdit_, replaceButton_,
                                                    replaceAllButton_})
    w->setVisible(replace);
  if (editor_->hasSelectedText() && !editor_->selectedText().contains(QLatin1Char('\n')))
    findEdit_->setText(editor_->selectedText());
  say(QString());
  show();
  findEdit_->setFocus();
  findEdit_->selectAll();
}

bool FindBar::findAgain(bool backwards) {
  const QString text = findEdit_->text();
  if (text.isEmpty()) return false;
  // A Latin-1 template holds no character beyond Latin-1.
  bool found = false;
  if (!editor_->showsLatin1() || fitsLatin1(text)) {
    int line = -1, index = -1;
    if (backwards && editor_->hasSelectedText()) {
      // From the start of the selection, so that the same match is not found again.
      int lineTo = 0, indexTo = 0;
      editor_->getSelection(&line, &index, &lineTo, &indexTo);
    }
    found = editor_->findFirst(text, false, matchCase_->isChecked(), false, true, !backwards, line,
                               index);
  }
  say(found ? QString() : QStringLiteral("Not found."));
  return found;
}

bool FindBar::selectionMatches() const {
  if (!editor_->hasSelectedText()) return false;
  return editor_->selectedText().compare(findEdit_->text(), matchCase_->isChecked()
                                                                ? Qt::CaseSensitive
                                                                : Qt::CaseInsensitive) == 0;
}

void FindBar::replaceOne() {
  if (selectionMatches()) editor_->typeText(replaceEdit_->text());
  findAgain();
}

int FindBar::replaceAll() {
  const QString text = findEdit_->text();
  int count = 0;
  if (!text.isEmpty() && (!editor_->showsLatin1() || fitsLatin1(text))) {
    editor_->beginUndoAction();
    bool found = editor_->findFirst(text, false, matchCase_->isChecked(), false, false, true, 0, 0);
    while (found) {
      editor_->typeText(replaceEdit_->text());
      ++count;
      found = editor_->findFirst(text, false, matchCase_->isChecked(), false, false, true);
    }
    editor_->endUndoAction();
  }
  say(QStringLiteral("%1 replaced.").arg(count));
  return count;
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    closeButton_->click();
    return;
  }
  if (event->key() == Qt::Key_F3) {
    findAgain(event->modifiers() & Qt::ShiftModifier);
    return;
  }
  QWidget::keyPressEvent(event);
}

void FindBar::say(const QString& text) {
  status_->setText(text);
}

}  // namespace clipquill
