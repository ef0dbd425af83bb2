// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told of a template editor. QScintilla's own
// accessible turns the caret's byte position into a character offset by
// counting every character before it, at every repaint, whether or not a
// screen reader listens: a keystroke at the end of a 100 MB template cost
// most of a second. This one goes through the editor's index of the lines'
// character offsets, and only while a screen reader listens, so a position
// costs a search and the rest of its own line.
#pragma once

namespace clipquill {

class TemplateEditor;

// From now on every TemplateEditor gets this accessible instead of
// QScintilla's. Safe to call more than once.
void installEditorAccessible();

// Tell a listening screen reader of a change just before it lands, and of
// the caret's place; without one they cost nothing.
void notifyInserting(TemplateEditor& editor, long position, const char* bytes, long length);
void notifyRemoving(TemplateEditor& editor, long position, long length);
void notifyCaretMoved(TemplateEditor& editor);

}  // namespace clipquill
