// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told of a template editor. QScintilla's own
// accessible turns the caret's byte position into a character offset by
// counting every character before it, at every repaint, whether or not a
// screen reader listens: a keystroke at the end of a 100 MB template cost
// most of a second. This one goes through the editor's index of the lines'
// character offsets, and only while a screen reader listens, so a position
// costs a search and the rest of its own line.
#pragma once

#include <functional>

class QAccessibleEvent;

namespace clipquill {

class TemplateEditor;

// From now on every TemplateEditor gets this accessible instead of
// QScintilla's. Safe to call more than once.
void installEditorAccessible();

// Tells a listening screen reader of an editor's changes and caret moves,
// from the notices Scintilla sends before each change; without a listener
// they cost nothing. QScintilla passes no text with the notice before an
// insertion, so the inserted text is read once it has landed: at the next
// notice, or when the view is next brought up to date.
class EditorNotices {
 public:
  explicit EditorNotices(TemplateEditor& editor) : editor_(editor) {}

  void beforeInsert(long position, long length);
  void beforeDelete(long position, long length);
  void viewUpdated(bool caretMoved);

 private:
  void tellInserted();

  TemplateEditor& editor_;
  long insertedAt_ = -1;
  long insertedLength_ = 0;
};

// Tests stand in for a screen reader, which Qt's offscreen platform never
// has: the editors' notices go to listener instead of Qt while it is set.
void listenForTesting(std::function<void(QAccessibleEvent*)> listener);

}  // namespace clipquill
