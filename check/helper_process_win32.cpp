// SPDX-License-Identifier: GPL-3.0-or-later
// The helper on Windows: started with CreateProcessW in a job object that
// bounds its memory, kills it should the checker end without a word
// (JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE), and ends it with every process it
// started when its time is up. The channel is a named pipe: the checker's
// end overlapped, so that a read can wait with a deadline (an anonymous pipe
// cannot), the helper's end its standard input, its standard output going
// to NUL so that nothing AviSynth+ or a plugin prints reaches the channel.
#include "core/windows_api.h"
// After windows.h, which they build on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>

#include "check/helper_process.h"
#include "check/script_checker.h"
#include "core/wide_text.h"
#include "core/win32_file.h"

namespace clipquill::helper {

struct Process::State {
  win32::Handle process;
  win32::Handle job;
  win32::Handle pipe;
  win32::Handle readDone;
  win32::Handle writeDone;
};

namespace {

std::atomic<unsigned> pipeCounter{0};

std::wstring wide(std::string_view text) {
  const std::optional<std::u16string> units = utf16FromUtf8(text);
  return units ? std::wstring(units->begin(), units->end()) : std::wstring();
}

std::string lastErrorText(const char* what) {
  return std::string(what) + " (Windows error " + std::to_string(::GetLastError()) + ")";
}

// One argument as CommandLineToArgvW reads it back: quoted, a run of
// backslashes doubled where a quote follows it.
std::wstring quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::size_t defaultMemoryLimit() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  const std::size_t floor = std::size_t{1} << 30;
  if (!::GlobalMemoryStatusEx(&status)) return floor;
  return std::max<std::size_t>(static_cast<std::size_t>(status.ullTotalPhys / 2), floor);
}

win32::Handle newEvent() {
  return win32::Handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

win32::Handle boundingJob(const Limits& limits) {
  win32::Handle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job.valid()) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
  // An unhandled exception ends the helper at once: no error report window
  // that waits for a user who is not there.
  info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                          JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
                                          JOB_OBJECT_LIMIT_PROCESS_MEMORY;
  info.ProcessMemoryLimit = limits.memoryBytes != 0 ? limits.memoryBytes : defaultMemoryLimit();
  if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &info, sizeof info))
    return win32::Handle();
  return job;
}

// The words for the ends a helper meets most: an exception's code, or the
// status it exited with.
std::string describeExit(DWORD code) {
  struct Known {
    DWORD code;
    const char* words;
  };
  static constexpr Known kKnown[] = {
      {0xC0000005, "access violation"},      {0xC00000FD, "stack overflow"},
      {0xC000001D, "illegal instruction"},   {0xC0000094, "integer division by zero"},
      {0xC0000409, "stack buffer overrun"},  {0xC0000017, "out of memory"},
      {0xC000012D, "out of virtual memory"}, {0x80000003, "breakpoint"},
  };
  if (code < 0xC0000000 && code != 0x80000003)
    return "the check ended with status " + std::to_string(code);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
  std::string out = std::string("exception ") + hex;
  for (const Known& k : kKnown) {
    if (k.code == code) out += std::string(", ") + k.words;
  }
  return out;
}

// Waits for an overlapped operation on `pipe` until `deadline`; cancels it
// when the time is up. The bytes it moved, or nothing when it failed or
// was cancelled (timedOut then set).
std::optional<DWORD> finish(HANDLE pipe, OVERLAPPED& ov, bool started,
                            std::optional<Clock::time_point> deadline, bool& timedOut) {
  timedOut = false;
  DWORD moved = 0;
  if (!started && ::GetLastError() != ERROR_IO_PENDING) return std::nullopt;
  DWORD wait = INFINITE;
  if (deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    wait = static_cast<DWORD>(std::clamp<long long>(left, 0, INFINITE - 1));
  }
  if (::WaitForSingleObject(ov.hEvent, wait) == WAIT_TIMEOUT) {
    ::CancelIoEx(pipe, &ov);
    // The operation has ended either way once this returns; its buffer is
    // free again.
    ::GetOverlappedResult(pipe, &ov, &moved, TRUE);
    timedOut = true;
    return std::nullopt;
  }
  if (!::GetOverlappedResult(pipe, &ov, &moved, TRUE)) return std::nullopt;
  return moved;
}

// The helper's channel to the checker, once taken.
HANDLE channel = INVALID_HANDLE_VALUE;

// An exception nothing handled ends the helper with the exception's code,
// which the checker tells; never a debugger or an error report.
LONG WINAPI endOnException(EXCEPTION_POINTERS* info) {
  ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

std::unique_ptr<Process> Process::start(const std::string& program, const std::string& library,
                                        const Limits& limits, std::string& why,
                                        const std::vector<std::string>& arguments) {
  auto state = std::make_unique<State>();
  const std::wstring pipeName =
      L"\\\\.\\pipe\\clipquill-check-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
      std::to_wstring(pipeCounter.fetch_add(1)) + L"-" + std::to_wstring(::GetTickCount64());
  HANDLE server = ::CreateNamedPipeW(
      pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 128 * 1024,
      128 * 1024, 0, nullptr);
  if (server == INVALID_HANDLE_VALUE) {
    why = lastErrorText("cannot start the check: no pipe to the helper");
    return nullptr;
  }
  state->pipe = win32::Handle(server);
  state->readDone = newEvent();
  state->writeDone = newEvent();

  // The helper's ends, inheritable, and only these are handed down.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE client = ::CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inheritable,
                                OPEN_EXISTING, 0, nullptr);
  if (client == INVALID_HANDLE_VALUE) {
    why = lastErrorText("cannot start the check: the pipe to the helper cannot be opened");
    return nullptr;
  }
  win32::Handle clientEnd(client);
  HANDLE nul =
      ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, nullptr);
  win32::Handle nulEnd(nul == INVALID_HANDLE_VALUE ? nullptr : nul);
  // Its errors go where ours go.
  win32::Handle errEnd;
  const HANDLE ourErr = ::GetStdHandle(STD_ERROR_HANDLE);
  HANDLE errCopy = nullptr;
  if (ourErr != nullptr && ourErr != INVALID_HANDLE_VALUE &&
      ::DuplicateHandle(::GetCurrentProcess(), ourErr, ::GetCurrentProcess(), &errCopy, 0, TRUE,
                        DUPLICATE_SAME_ACCESS))
    errEnd = win32::Handle(errCopy);
  if (!nulEnd.valid()) {
    why = lastErrorText("cannot start the check: NUL cannot be opened");
    return nullptr;
  }

  state->job = boundingJob(limits);
  if (!state->job.valid()) {
    why = lastErrorText("cannot start the check: no job object to bound the helper");
    return nullptr;
  }

  std::vector<HANDLE> handed = {clientEnd.get(), nulEnd.get()};
  if (errEnd.valid()) handed.push_back(errEnd.get());
  SIZE_T listSize = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
  std::vector<unsigned char> listBytes(listSize);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listBytes.data());
  if (!::InitializeProcThreadAttributeList(list, 1, 0, &listSize)) {
    why = lastErrorText("cannot start the check");
    return nullptr;
  }
  struct ListEnd {
    LPPROC_THREAD_ATTRIBUTE_LIST list;
    ~ListEnd() { ::DeleteProcThreadAttributeList(list); }
  } listEnd{list};
  if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handed.data(),
                                   handed.size() * sizeof(HANDLE), nullptr, nullptr)) {
    why = lastErrorText("cannot start the check");
    return nullptr;
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = clientEnd.get();
  startup.StartupInfo.hStdOutput = nulEnd.get();
  startup.StartupInfo.hStdError = errEnd.valid() ? errEnd.get() : nulEnd.get();
  startup.lpAttributeList = list;

  const std::wstring programPath = wide(program);
  std::wstring commandLine =
      quoted(programPath) + L" " + quoted(wide(kCheckHelperFlag)) + L" " + quoted(wide(library));
  for (const std::string& arg : arguments)
    commandLine += L" " + quoted(wide(arg));
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so that nothing it starts escapes it;
  // no console window for a helper of the window.
  if (programPath.empty() ||
      !::CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        nullptr, &startup.StartupInfo, &info)) {
    why = "cannot start " + program + ": " + lastErrorText("CreateProcessW failed");
    return nullptr;
  }
  state->process = win32::Handle(info.hProcess);
  win32::Handle thread(info.hThread);
  if (!::AssignProcessToJobObject(state->job.get(), info.hProcess)) {
    why = lastErrorText("cannot start the check: the helper cannot be put in its job object");
    ::TerminateProcess(info.hProcess, 1);
    return nullptr;
  }
  ::ResumeThread(info.hThread);

  OVERLAPPED ov{};
  ov.hEvent = state->readDone.get();
  if (!::ConnectNamedPipe(state->pipe.get(), &ov) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
    bool timedOut = false;
    if (!finish(state->pipe.get(), ov, false, Clock::now() + std::chrono::seconds(10), timedOut)) {
      why = lastErrorText("cannot start the check: the helper did not connect");
      ::TerminateJobObject(state->job.get(), 1);
      return nullptr;
    }
  }
  return std::unique_ptr<Process>(new Process(std::move(state)));
}

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}

Process::~Process() {
  kill();
  // Ended within moments once terminated; the job's handle closing ends
  // anything left.
  ::WaitForSingleObject(state_->process.get(), 5000);
}

bool Process::send(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED ov{};
    ov.hEvent = state_->writeDone.get();
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    const bool started = ::WriteFile(state_->pipe.get(), bytes.data() + done, chunk, nullptr, &ov);
    bool timedOut = false;
    const std::optional<DWORD> n = finish(state_->pipe.get(), ov, started, std::nullopt, timedOut);
    if (!n || *n == 0) return false;
    done += *n;
  }
  return true;
}

ReadEnd Process::read(void* buffer, std::size_t size, std::optional<Clock::time_point> deadline) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    if (deadline && Clock::now() >= *deadline) return ReadEnd::TimedOut;
    OVERLAPPED ov{};
    ov.hEvent = state_->readDone.get();
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 20));
    const bool started = ::ReadFile(state_->pipe.get(), p + done, chunk, nullptr, &ov);
    bool timedOut = false;
    const std::optional<DWORD> n = finish(state_->pipe.get(), ov, started, deadline, timedOut);
    if (timedOut) return ReadEnd::TimedOut;
    if (!n || *n == 0) return ReadEnd::Closed;
    done += *n;
  }
  return ReadEnd::Done;
}

void Process::kill() {
  // The job, so that whatever the helper started ends with it.
  ::TerminateJobObject(state_->job.get(), 1);
}

std::string Process::howItEnded() {
  // The pipe breaking means the helper is on its way out; give it a moment.
  if (::WaitForSingleObject(state_->process.get(), 1000) != WAIT_OBJECT_0) return "";
  DWORD code = 0;
  if (!::GetExitCodeProcess(state_->process.get(), &code)) return "";
  return describeExit(code);
}

std::optional<std::string> helperLibrary(int, char**) {
  // The wide command line: the narrow one holds the library's name in the
  // ANSI code page, which cannot hold every name.
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (args == nullptr) return std::nullopt;
  std::optional<std::string> library;
  if (count >= 2 && wide(kCheckHelperFlag) == args[1]) {
    const std::wstring_view arg(count > 2 ? args[2] : L"");
    library = utf8FromUtf16(std::u16string(arg.begin(), arg.end()));
  }
  ::LocalFree(args);
  return library;
}

std::vector<std::string> helperArguments(int, char**) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> out;
  if (args == nullptr) return out;
  for (int i = 3; i < count; ++i) {
    const std::wstring_view arg(args[i]);
    out.push_back(utf8FromUtf16(std::u16string(arg.begin(), arg.end())));
  }
  ::LocalFree(args);
  return out;
}

void openChannel() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  ::SetUnhandledExceptionFilter(endOnException);
  // The channel is kept from any process AviSynth+ starts (its end would
  // hold the pipe open past the helper's death) and from anything that reads
  // standard input.
  const HANDLE original = ::GetStdHandle(STD_INPUT_HANDLE);
  ::SetHandleInformation(original, HANDLE_FLAG_INHERIT, 0);
  if (!::DuplicateHandle(::GetCurrentProcess(), original, ::GetCurrentProcess(), &channel, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
    channel = original;
  else if (std::freopen("NUL", "rb", stdin) == nullptr)
    ::SetStdHandle(STD_INPUT_HANDLE, nullptr);
}

bool sendToChecker(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!::WriteFile(channel, bytes.data() + done, chunk, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

ReadEnd readFromChecker(void* buffer, std::size_t size) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 20));
    if (!::ReadFile(channel, p + done, chunk, &n, nullptr) || n == 0) return ReadEnd::Closed;
    done += n;
  }
  return ReadEnd::Done;
}

void endHelper() {
  // Not ExitProcess: that would run AviSynth+'s DLL detach and its static
  // destructors, which may race its worker threads.
  ::TerminateProcess(::GetCurrentProcess(), 0);
  ::_exit(0);  // not reached
}

std::string thisProgram() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return win32::narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace clipquill::helper
