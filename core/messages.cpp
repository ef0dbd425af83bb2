// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/messages.h"

namespace clipquill::msg {

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
