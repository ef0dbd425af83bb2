// SPDX-License-Identifier: GPL-3.0-or-later
// A template's lines as they lie in one buffer, each followed by "\n": what a
// run and its preview read, line by line, without a string per line, so that
// a template of millions of lines costs its bytes once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string_view>

namespace clipquill {

class TemplateLines {
 public:
  // Each line yielded in turn, without its "\n".
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string_view*;
    using reference = std::string_view;

    iterator() = default;
    std::string_view operator*() const { return line_; }
    const std::string_view* operator->() const { return &line_; }
    iterator& operator++() {
      // A last line without its "\n" ends the lines all the same.
      rest_.remove_prefix(std::min(line_.size() + 1, rest_.size()));
      line_ = firstLine(rest_);
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return rest_.data() == other.rest_.data(); }

   private:
    friend class TemplateLines;
    explicit iterator(std::string_view rest) : rest_(rest), line_(firstLine(rest)) {}
    std::string_view rest_;  // from this line on
    std::string_view line_;
  };

  TemplateLines() = default;
  // text is empty, or lines each followed by "\n"; the view keeps no copy.
  explicit TemplateLines(std::string_view text) : text_(text) {}

  iterator begin() const { return iterator(text_); }
  iterator end() const { return iterator(text_.substr(text_.size())); }
  bool empty() const { return text_.empty(); }
  std::size_t lineCount() const;
  // Lines first to first + count - 1, fewer at the end, none past it.
  TemplateLines slice(std::size_t first, std::size_t count) const;
  // The lines, each followed by "\n".
  std::string_view text() const { return text_; }

 private:
  static std::string_view firstLine(std::string_view rest) {
    if (rest.empty()) return rest;
    const void* lf = std::memchr(rest.data(), '\n', rest.size());
    return lf ? rest.substr(0, static_cast<std::size_t>(static_cast<const char*>(lf) - rest.data()))
              : rest;
  }

  std::string_view text_;
};

}  // namespace clipquill
