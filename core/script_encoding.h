// SPDX-License-Identifier: GPL-3.0-or-later
// The encoding a script carries its clips' names in. AviSynth+ on Windows
// reads a script's strings in the system's ANSI code page unless the source
// call is given utf8=true; elsewhere the system's code page is UTF-8 and
// names go into scripts as they are. A template is bytes we never
// re-encode, so its own bytes say which of the two it is written in, and
// the names put into it follow.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/template_lines.h"

namespace clipquill {

// The system's ANSI code page, as AviSynth+ reads a script's strings.
class CodePage {
 public:
  static constexpr unsigned kUtf8 = 65001;

  virtual ~CodePage() = default;
  // Its number, as Windows names it ("1252"); kUtf8 where names are UTF-8.
  virtual unsigned number() const = 0;
  // The UTF-8 text in this code page; nothing when a character of it has
  // no place there (never a replacement or a look-alike).
  virtual std::optional<std::string> fromUtf8(std::string_view text) const = 0;
  bool isUtf8() const { return number() == kUtf8; }
};

// The code page of this system: UTF-8 but on Windows.
const CodePage& systemCodePage();

enum class TemplateEncoding { CodePage, Utf8 };

// A template with a UTF-8 byte order mark, or valid UTF-8 with anything
// beyond ASCII, is UTF-8; plain ASCII or bytes that are not UTF-8 are in
// the code page.
TemplateEncoding templateEncoding(TemplateLines lines);

// Whether AviSynth+ reads the template's names as UTF-8: some line gives
// utf8=true, and every line that passes a clip's name to a call ("<P>" or
// "<F>" and a "(") gives it too. Comment lines do not count.
bool readsNamesAsUtf8(TemplateLines lines);

// How a run writes the clips' folder and names into its scripts.
struct NameEncoding {
  const CodePage* codePage = nullptr;  // names are written in it; none: as they are
  // A UTF-8 template that AviSynth+ reads in this code page (no utf8=true):
  // every name beyond ASCII is misread; 0 when none is.
  unsigned misreadIn = 0;
};

// Whether text is ASCII alone: a name every encoding carries alike.
bool isAscii(std::string_view text);

// The encoding for scripts of the whole template on a system of codePage;
// names as they are where that is UTF-8.
NameEncoding nameEncoding(TemplateLines whole, const CodePage& codePage);

enum class NameFit {
  Fits,        // AviSynth+ reads the name as it is
  Misread,     // written, but AviSynth+ reads other characters
  Unwritable,  // the code page has no place for a character: not written
};

struct EncodedName {
  NameFit fit = NameFit::Fits;
  std::string bytes;  // the name as the script holds it; as given when unwritable
};

EncodedName encodeName(const NameEncoding& encoding, std::string_view name);

// The names of a run, or of a preview, that a script cannot carry.
struct NameTrouble {
  unsigned codePage = 0;
  std::string folder;                   // the clips' folder, as given
  bool folderUnwritable = false;        // the folder itself: no clip can be written
  bool folderMisread = false;           // the folder itself: every clip is misread
  std::vector<std::string> unwritable;  // clips whose scripts are left out
  std::vector<std::string> misread;     // clips written, but misread by AviSynth+
  bool empty() const {
    return !folderUnwritable && !folderMisread && unwritable.empty() && misread.empty();
  }
};

// The clips' folder and names as the scripts hold them, and what cannot be
// carried, in the order of clips.
struct EncodedNames {
  std::string folder;
  std::vector<std::string> clips;
  std::vector<bool> writable;  // per clip: its folder and name have a place in the code page
  NameTrouble trouble;
};

EncodedNames encodeNames(const NameEncoding& encoding, std::string_view folder,
                         std::span<const std::string> clips);

}  // namespace clipquill
