// SPDX-License-Identifier: GPL-3.0-or-later
// Programs started with CreateProcessW. Explorer's "Send to" passes a whole
// selection to one process; gathering the processes its verb starts one per
// file is not done here yet: each such process runs its own clip.
#include "core/windows_api.h"

#include <optional>

#include "cli/desktop_batch.h"
#include "core/wide_text.h"

namespace clipquill::cli {

namespace {

class Alone final : public ClipGather {
 public:
  std::vector<std::string> collect(std::chrono::milliseconds, std::chrono::milliseconds) override {
    return {};
  }
  std::vector<std::string> finish() override { return {}; }
};

// One argument as CommandLineToArgvW reads it back: quoted, a run of
// backslashes doubled before a quote or the closing quote.
void appendQuoted(std::u16string& line, const std::u16string& arg) {
  line.push_back(u'"');
  std::size_t backslashes = 0;
  for (const char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
    backslashes = 0;
    line.push_back(c);
  }
  line.append(2 * backslashes, u'\\');
  line.push_back(u'"');
}

}  // namespace

std::string userGatherPlace() {
  return "clipquill-clips";
}

std::unique_ptr<ClipGather> joinOrLeadGather(const std::vector<std::string>&, const std::string&) {
  return std::make_unique<Alone>();
}

int runProgram(const std::string& path, const std::vector<std::string>& args, bool wait) {
  const std::optional<std::u16string> program = utf16FromUtf8(path);
  if (!program) return -1;
  std::u16string line;
  appendQuoted(line, *program);
  for (const std::string& arg : args) {
    const std::optional<std::u16string> wide = utf16FromUtf8(arg);
    if (!wide) return -1;
    line.push_back(u' ');
    appendQuoted(line, *wide);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(reinterpret_cast<const wchar_t*>(program->c_str()),
                        reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
    return -1;
  ::CloseHandle(process.hThread);
  int status = 0;
  if (wait) {
    DWORD code = 0;
    status = ::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     ::GetExitCodeProcess(process.hProcess, &code)
                 ? static_cast<int>(code)
                 : -1;
  }
  ::CloseHandle(process.hProcess);
  return status;
}

std::string windowProgramBeside(const std::string& executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1)) +
         "clipquill.exe";
}

}  // namespace clipquill::cli
