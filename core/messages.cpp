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

namespace {

void appendNames(std::string& text, std::span<const std::string> names) {
  constexpr std::size_t kNamesShown = 8;
  for (std::size_t c = 0; c < names.size() && c < kNamesShown; ++c) {
    text += c ? ", " : "";
    text += names[c];
  }
  if (names.size() > kNamesShown)
    text += " and " + std::to_string(names.size() - kNamesShown) + " more";
}

constexpr std::string_view kUtf8Call = "AVISource(\"<P><F>\", utf8=true)";

}  // namespace

std::string namesNotCarried(const NameTrouble& trouble, bool joined) {
  const std::string codePage = "code page " + std::to_string(trouble.codePage);
  std::string text;
  if (leavesScriptsOut(trouble)) {
    text = "The template is in " + codePage +
           ", which AviSynth+ reads its scripts in, and that has no place for characters in ";
    if (trouble.folderUnwritable) {
      text += "the clips' folder " + trouble.folder;
      text += joined ? ", so the joined script is left out." : ", so every script is left out.";
    } else {
      text += joined ? "these clips' names, so the joined script is left out: "
                     : "these clips' names, so their scripts are left out: ";
      appendNames(text, trouble.unwritable);
      text += ".";
    }
    text +=
        " To write them, save the template as UTF-8 and add utf8=true to its source call, "
        "as in ";
    text += kUtf8Call;
    text += ".";
    return text;
  }
  if (trouble.folderMisread || !trouble.misread.empty()) {
    text =
        "The template is UTF-8, but without utf8=true in its source call AviSynth+ reads it "
        "in " +
        codePage + " and misreads ";
    if (trouble.folderMisread) {
      text += "the clips' folder " + trouble.folder;
    } else {
      text += "these clips' names: ";
      appendNames(text, trouble.misread);
    }
    text += ". Add utf8=true to the source call, as in ";
    text += kUtf8Call;
    text += ".";
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
