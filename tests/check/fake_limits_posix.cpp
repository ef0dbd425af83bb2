// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in library's view of its helper's bounds on POSIX, where the
// checker sets none.
const char* limitsOfThisProcess() {
  return "none";
}
