// SPDX-License-Identifier: GPL-3.0-or-later
// Writes what documents the command line's options from their one table, at
// build time: the words the bash completion offers, and the synopsis of
// cli/README.md. Each mode reads a text on standard input and writes it with
// its generated part filled in on standard output.
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace {

constexpr std::string_view kWordsMark = "@CLIPQUILL_CLI_OPTION_WORDS@";
constexpr std::string_view kFence = "```\n";

std::string readAll(std::istream& in) {
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc == 2 ? argv[1] : "";
  std::string text = readAll(std::cin);
  if (mode == "completion") {
    const std::size_t mark = text.find(kWordsMark);
    if (mark == std::string::npos) {
      std::cerr << "clipquill-cli-docs: no " << kWordsMark << " in the completion\n";
      return 1;
    }
    text.replace(mark, kWordsMark.size(), clipquill::cli::optionWords());
  } else if (mode == "readme") {
    // The README's first fenced block is the synopsis.
    const std::size_t open = text.find(kFence);
    const std::size_t close =
        open == std::string::npos ? open : text.find(kFence, open + kFence.size());
    if (close == std::string::npos) {
      std::cerr << "clipquill-cli-docs: no fenced synopsis in the README\n";
      return 1;
    }
    const std::size_t start = open + kFence.size();
    text.replace(start, close - start, clipquill::cli::readmeSynopsis());
  } else {
    std::cerr << "usage: clipquill-cli-docs completion|readme < IN > OUT\n";
    return 2;
  }
  std::cout << text;
  return std::cout.flush() ? 0 : 1;
}
