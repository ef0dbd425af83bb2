// SPDX-License-Identifier: GPL-3.0-or-later
// What the user would be told: the message of the Error an action throws.
#pragma once

#include <functional>
#include <string>

#include "core/error.h"

namespace clipquill::testing {

// The message of the Error that action throws, or whenNone when it throws none.
inline std::string errorMessage(const std::function<void()>& action,
                                const std::string& whenNone = "") {
  try {
    action();
  } catch (const Error& e) {
    return e.message();
  }
  return whenNone;
}

}  // namespace clipquill::testing
