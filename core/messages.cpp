// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/messages.h"

namespace clipquill::msg {

std::string scriptNameClashes(std::span<const ScriptNameClash> clashes, bool lastDotHint) {
  // A pattern without "*" gives thousands of clips one name: the box names
  // a few of each, and says how many more there are.
  constexpr std::size_t kNamesShown = 20;
  constexpr std::size_t kClipsShown = 8;
  std::string text =
      "Some selected clips would get the same script name, and each script would replace the "
      "one before. No script was written.\r\n";
  if (lastDotHint) {
    text += "\r\nTheir names differ after their first dot: with Options > ";
    text += kNameToLastDotCaption;
    text += " (";
    text += kNameToLastDotOption;
    text += " on the command line), each clip's name ends at its last dot instead.\r\n";
  }
  for (std::size_t i = 0; i < clashes.size() && i < kNamesShown; ++i) {
    const ScriptNameClash& clash = clashes[i];
    text += "\r\n";
    text += clash.scriptFile;
    text += ": ";
    for (std::size_t c = 0; c < clash.clips.size() && c < kClipsShown; ++c) {
      if (c) text += ", ";
      text += clash.clips[c];
    }
    if (clash.clips.size() > kClipsShown)
      text += " and " + std::to_string(clash.clips.size() - kClipsShown) + " more";
  }
  if (clashes.size() > kNamesShown) {
    text += "\r\n... and " + std::to_string(clashes.size() - kNamesShown) + " more names";
  }
  return text;
}

std::string namelessClips(std::span<const std::string> clips) {
  constexpr std::size_t kClipsShown = 8;
  std::string text =
      "Some selected clips have no name to give their scripts (a name of dots alone, or a file "
      "name without a dot), so each script would be called \".avs\" alone. No script was "
      "written. A name for the scripts with text beside \"*\" names them.\r\n\r\n";
  for (std::size_t c = 0; c < clips.size() && c < kClipsShown; ++c) {
    if (c) text += ", ";
    text += clips[c];
  }
  if (clips.size() > kClipsShown) {
    text += " and " + std::to_string(clips.size() - kClipsShown) + " more";
  }
  return text;
}

std::string noSuchDestination(std::string_view folder) {
  std::string text = "The destination folder \"";
  text += folder;
  text += "\" does not exist.";
  return text;
}

std::string overwriteQuestion(std::string_view path) {
  std::string text = "The file \"";
  text += path;
  text += "\" already exists.\r\n\r\nDo you want to replace it?";
  return text;
}

std::string settingsOverwriteQuestion(std::string_view path) {
  std::string text = "The file ";
  text += path;
  text += " already exists.\r\n\r\nDo you want to replace it?";
  return text;
}

std::string unableToWrite(std::string_view path) {
  std::string text = "Unable to write to ";
  text += path;
  return text;
}

std::string ioError(int number) {
  return "I/O error " + std::to_string(number);
}

}  // namespace clipquill::msg
