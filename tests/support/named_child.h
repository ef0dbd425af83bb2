// SPDX-License-Identifier: GPL-3.0-or-later
// The windows keep their widgets private; tests and benchmarks reach them as
// an accessibility tool would, by the object names that stay stable.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace clipquill::testing {

// The descendant of window named name, of type T. A missing one ends the
// run at once: every test after it would only fail more confusingly.
template <class T>
T* child(const QObject* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), name);
  return found;
}

template <class T, class Window>
T* child(const std::unique_ptr<Window>& window, const char* name) {
  return child<T>(window.get(), name);
}

}  // namespace clipquill::testing
