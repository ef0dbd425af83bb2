// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth highlighting for the template editor and the preview: Scintilla's
// own AviSynth lexer, fed with word lists of our own and coloured from the
// widget's palette, so that a dark theme stays readable.
#pragma once

#include <Qsci/qscilexeravs.h>
#include <QPalette>

namespace clipquill {

class AvsLexer : public QsciLexerAVS {
  Q_OBJECT

 public:
  explicit AvsLexer(QObject* parent = nullptr);

  // The lexer's word lists, lower case as it compares them: 1 the
  // language's keywords, 2 internal filters, 3 common plugin functions,
  // 4 internal functions, 5 clip properties.
  const char* keywords(int set) const override;

  // Colours every style from palette: text and paper from its base, the
  // rest chosen to read on a light or a dark base alike.
  void usePalette(const QPalette& palette);
};

}  // namespace clipquill
