// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a folder takes new files, asked of Windows: a folder's access list
// is told only by trying, so a hidden file is made there and goes when closed.
#include "core/windows_api.h"

#include "app/clip_batch.h"
#include "core/wide_text.h"

namespace clipquill {

bool folderTakesNewFiles(const std::string& folder) {
  const std::optional<std::u16string> wide = utf16FromUtf8(folder + ".clipquill-probe.tmp");
  if (!wide) return false;
  const HANDLE file =
      ::CreateFileW(reinterpret_cast<const wchar_t*>(wide->c_str()), GENERIC_WRITE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace clipquill
