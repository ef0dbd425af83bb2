// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in library's view of the job object its helper runs in, for the
// test that the checker bounds the helper as it means to.
#include "core/windows_api.h"

#include <string>

const char* limitsOfThisProcess() {
  static std::string text;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
  // No handle: the job this process is in.
  if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &info, sizeof info,
                                   nullptr)) {
    text = "no job (error " + std::to_string(::GetLastError()) + ")";
    return text.c_str();
  }
  const DWORD flags = info.BasicLimitInformation.LimitFlags;
  text = "job:";
  if (flags & JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE) text += " kill on close,";
  if (flags & JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION) text += " die on unhandled exception,";
  if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
    text += " process memory " + std::to_string(info.ProcessMemoryLimit);
  return text.c_str();
}
