// SPDX-License-Identifier: GPL-3.0-or-later
// A literal's bytes as Qt holds them, NUL bytes included: the window's tests
// give the editor bytes that are not text.
#pragma once

#include <QByteArray>
#include <cstddef>

namespace clipquill::testing {

template <std::size_t N>
QByteArray bytes(const char (&text)[N]) {
  return QByteArray(text, N - 1);
}

}  // namespace clipquill::testing
