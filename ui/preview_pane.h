// SPDX-License-Identifier: GPL-3.0-or-later
// The live preview under the template editor: the script "Create Script(s)"
// would write now, as the model works it out, for the template lines in
// view. The pane only shows it: its name, whether a file of that name is
// already there, and the lines, highlighted as the editor highlights them.
// The script's picture (FramePane) is the window's, beside the whole layout.
#pragma once

#include <QWidget>

#include "app/main_window_model.h"

class QLabel;

namespace clipquill {

class TemplateEditor;

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  // utf8: the template is UTF-8 text, in which a clip name's stray bytes
  // are shown as escapes rather than turning the whole pane into Latin-1.
  void showPreview(const TemplatePreview& preview, bool utf8 = true);
  // How many lines the pane shows at once.
  std::size_t visibleLineCount() const;

  // Its title whole at its width and one line of the script: less would cut
  // a text, more would not fit a small or highly scaled screen.
  QSize minimumSizeHint() const override;

  QString title() const;
  // The lines shown, as text.
  QString text() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* title_;
  TemplateEditor* text_;
};

}  // namespace clipquill
