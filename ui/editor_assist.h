// SPDX-License-Identifier: GPL-3.0-or-later
// What the template editor knows of the user's AviSynth+: completion, call
// tips and unknown names marked, bound to the editor. The rules are
// core/avs_script_scan.h's; this binds them to Scintilla's lists, tips and
// indicators. Each keystroke reads only the statement at the caret or the
// lines in view; the template's own names are read whole off the window's
// thread, once typing pauses. The function table comes from
// FunctionTableLoader (the cache, else AviSynth+ in the check's helper).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/avs_script_scan.h"

namespace clipquill {

class TemplateEditor;

class EditorAssist : public QObject {
  Q_OBJECT

 public:
  // The indicator of unknown names (the editor's token marks use 8).
  static constexpr int kUnknownIndicator = 9;
  // The user list's id.
  static constexpr int kCompletionList = 1;

  explicit EditorAssist(TemplateEditor* editor);
  ~EditorAssist() override;

  // The table to complete and check with, and how tooltips name the
  // installation ("AviSynth+ 3.7.5 with the plugins of /x"). An empty table
  // (no AviSynth+) offers no filters and marks nothing; `why` then goes to
  // the editor's status tip.
  // `note`: what was left out of the table, and why (a plugin folder that
  // crashed AviSynth+), added to the status tip.
  void setTable(std::vector<AvsFunction> functions, const std::string& installation,
                const std::string& note = {});
  void setNoTable(const QString& why);

  // What is offered at the caret now, as the list shows it ("Name (source)");
  // explicitly: as Ctrl+Space asks.
  QStringList completionEntries(bool explicitly) const;
  void showCompletion(bool explicitly);
  // The call tip at the caret (shown, or hidden when none).
  void updateCallTip();
  // The marks of the lines in view, now (the timer calls it as typing goes).
  void refreshMarks();
  // The template's own names, read again now and waited for (tests).
  void readOwnNamesNow();
  // The marks the editor shows, with their messages (tests, tooltips).
  struct Mark {
    long start;
    long length;
    QString message;
  };
  const std::vector<Mark>& marks() const { return marks_; }
  // The call tip shown last and its marked part; empty once hidden.
  const QString& callTip() const { return tip_; }
  const QString& markedParameter() const { return tipMarked_; }
  bool hasTable() const { return !index_->empty(); }

 signals:
  void ownNamesRead();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The statement around the caret, and where it starts in the document.
  long windowStart(long caret) const;
  void charAdded(int ch);
  void accepted(int id, const QString& text);
  void showMarkTip(int position, int x, int y);
  void startOwnNames();

  TemplateEditor* editor_;
  std::shared_ptr<const FunctionIndex> index_;
  std::string installation_;
  std::shared_ptr<const DefinedNames> own_;
  std::vector<Mark> marks_;
  QString tip_;
  QString tipMarked_;
  QTimer marksTimer_;
  QTimer namesTimer_;
  // The reading of the template's names on its way; a newer one wins.
  std::shared_ptr<std::atomic<int>> namesGeneration_;
};

}  // namespace clipquill
