// SPDX-License-Identifier: GPL-3.0-or-later
// The checker and its helper talk over a channel the system provides
// (helper_process_*.cpp). Every message is a few fixed fields and
// length-counted bytes (a path may hold a line end).
//
//   helper -> checker, once:   u8 loaded, u32 n, n bytes (version or reason)
//   checker -> helper:         u32 n, n bytes (the script's absolute path)
//   helper -> checker:         u8 status, i32 line, i32 column, u32 n, n bytes
#include "check/script_checker.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <utility>

#include "check/avisynth_library.h"
#include "check/helper_process.h"
#include "core/utf8_path.h"

namespace clipquill {
namespace {

using helper::Clock;
using helper::ReadEnd;

// Longer than any path the system accepts; a longer count is a broken peer.
constexpr std::uint32_t kMaxText = 1u << 20;
// How far requests run ahead of the answers: far enough that the helper
// never waits, within what the channel buffers.
constexpr std::size_t kWindowScripts = 32;
constexpr std::size_t kWindowBytes = 64 * 1024;

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void putText(std::string& out, const std::string& text) {
  putU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}
std::uint32_t getU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

// Reads a length-counted text through `read` (a channel's read of n bytes).
template <typename Read>
ReadEnd readText(std::string& text, Read&& read) {
  unsigned char count[4];
  if (ReadEnd end = read(count, 4); end != ReadEnd::Done) return end;
  std::uint32_t n = getU32(count);
  if (n > kMaxText) return ReadEnd::Closed;
  text.resize(n);
  return read(text.data(), n);
}

std::string describeLimit(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
  return std::to_string(limit.count()) + " ms";
}

// The request for one script: its absolute path, as AviSynth+ changes the
// helper's working folder while it imports.
std::string encodeRequest(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(path), ec);
  std::string request;
  putText(request, ec ? path : utf8Of(absolute));
  return request;
}

[[noreturn]] void runHelper(const std::string& library) {
  helper::openChannel();
  std::string why;
  auto avisynth = AvisynthLibrary::load(library, why);
  std::string hello(1, avisynth ? '\1' : '\0');
  putText(hello, avisynth ? avisynth->version() : why);
  if (!helper::sendToChecker(hello) || !avisynth) helper::endHelper();
  std::string path;
  auto read = [](void* buffer, std::size_t n) { return helper::readFromChecker(buffer, n); };
  while (readText(path, read) == ReadEnd::Done) {
    ScriptCheck result = avisynth->importScript(path);
    std::string answer(1, static_cast<char>(result.status));
    putU32(answer, static_cast<std::uint32_t>(result.line));
    putU32(answer, static_cast<std::uint32_t>(result.column));
    putText(answer, result.message);
    if (!helper::sendToChecker(answer)) break;
  }
  helper::endHelper();
}

}  // namespace

void runCheckHelperIfAsked(int argc, char** argv) {
  if (auto library = helper::helperLibrary(argc, argv)) runHelper(*library);
}

ScriptChecker::ScriptChecker(CheckerOptions options) : options_(std::move(options)) {
  if (options_.helper.empty()) options_.helper = helper::thisProgram();
}

ScriptChecker::~ScriptChecker() {
  stop();
}

void ScriptChecker::stop() {
  // Idle or stuck, the helper has nothing left worth waiting for.
  std::unique_ptr<helper::Process> ended;
  {
    std::lock_guard lock(helperMutex_);
    ended = std::move(helper_);
  }
  if (ended) ended->kill();
}

void ScriptChecker::abort() {
  aborted_ = true;
  std::lock_guard lock(helperMutex_);
  if (helper_) helper_->kill();
}

bool ScriptChecker::start() {
  if (aborted_) return false;
  if (helper_) return true;
  if (available_ == false) return false;

  std::string why;
  auto started = helper::Process::start(options_.helper, options_.library,
                                        helper::Limits{options_.memoryLimit}, why);
  if (!started) {
    available_ = false;
    detail_ = why;
    return false;
  }
  {
    std::lock_guard lock(helperMutex_);
    helper_ = std::move(started);
    // An abort() that came before the helper was set did not see it.
    if (aborted_) helper_->kill();
  }

  const auto deadline = Clock::now() + options_.timeLimit;
  auto read = [&](void* buffer, std::size_t n) { return helper_->read(buffer, n, deadline); };
  unsigned char loaded = 0;
  std::string text;
  ReadEnd end = read(&loaded, 1);
  if (end == ReadEnd::Done) end = readText(text, read);
  if (end != ReadEnd::Done) {
    stop();
    if (available_ == true) {
      // AviSynth+ loaded before: this helper was slow to start (a busy
      // machine) or died starting, which the script it was for pays for, as
      // for any helper's start; the next script gets another.
      restartFailure_ =
          end == ReadEnd::TimedOut
              ? ScriptCheck{CheckStatus::TimedOut,
                            "timed out after " + describeLimit(options_.timeLimit) +
                                ", while the check started",
                            0, 0}
              : ScriptCheck{CheckStatus::Crashed, "crashed while the check started", 0, 0};
      return false;
    }
    available_ = false;
    detail_ = end == ReadEnd::TimedOut
                  ? "AviSynth+ did not load within " + describeLimit(options_.timeLimit)
                  : "the check's helper " + options_.helper + " ended while loading AviSynth+";
    return false;
  }
  available_ = loaded != 0;
  detail_ = std::move(text);
  if (!*available_) stop();
  return *available_;
}

bool ScriptChecker::available(std::string* detail) {
  bool ok = start();
  if (!ok && available_ == true) {
    // AviSynth+ loads; only this helper was slow to start.
    restartFailure_.reset();
    ok = true;
  }
  if (detail != nullptr) *detail = detail_;
  return ok;
}

ScriptCheck ScriptChecker::helperEnded(const char* during) {
  std::string how;
  {
    // abort() may not kill while the helper is reaped: its pid could be reused.
    std::lock_guard lock(helperMutex_);
    how = helper_->howItEnded();
  }
  std::string message = "crashed " + std::string(during);
  if (!how.empty()) message += " (" + how + ")";
  stop();
  return ScriptCheck{CheckStatus::Crashed, std::move(message), 0, 0};
}

ScriptCheck ScriptChecker::check(const std::string& path) {
  ScriptCheck result{CheckStatus::Unavailable, "the check was stopped", 0, 0};
  checkAll(std::span(&path, 1), [&](std::size_t, ScriptCheck check) { result = std::move(check); });
  return result;
}

void ScriptChecker::checkAll(std::span<const std::string> paths, const Report& report) {
  // Requests sent ahead: their sizes, and how far the window is filled.
  std::deque<std::size_t> inFlight;
  std::size_t inFlightBytes = 0;
  std::size_t next = 0;  // the next script to send
  Clock::time_point headStarted;
  auto lostHelper = [&](std::size_t head) {
    inFlight.clear();
    inFlightBytes = 0;
    next = head + 1;
  };

  for (std::size_t head = 0; head < paths.size();) {
    if (aborted_) return;
    if (inFlight.empty()) {
      // A helper that died while idle is replaced once before the script
      // counts as the one that crashed it.
      bool sent = false;
      for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        if (!start()) {
          if (aborted_) return;
          if (restartFailure_) break;
          for (; head < paths.size(); ++head)
            report(head, {CheckStatus::Unavailable, detail_, 0, 0});
          return;
        }
        const std::string request = encodeRequest(paths[head]);
        sent = helper_->send(request);
        if (sent) {
          inFlight.push_back(request.size());
          inFlightBytes = request.size();
          next = head + 1;
        } else {
          stop();
        }
      }
      if (!sent && restartFailure_) {
        report(head, *std::exchange(restartFailure_, std::nullopt));
        ++head;
        continue;
      }
      if (!sent) {
        report(head, {CheckStatus::Crashed, "crashed before the check began", 0, 0});
        ++head;
        continue;
      }
      headStarted = Clock::now();
    }
    // The helper is kept fed, so that it never waits for this side between
    // two scripts; within what the channel holds, so that no send blocks.
    while (next < paths.size() && inFlight.size() < kWindowScripts) {
      const std::string request = encodeRequest(paths[next]);
      if (inFlightBytes + request.size() > kWindowBytes || !helper_->send(request)) break;
      inFlight.push_back(request.size());
      inFlightBytes += request.size();
      ++next;
    }

    // The helper starts on a script as soon as it answered the one before.
    const auto deadline = headStarted + options_.timeLimit;
    auto read = [&](void* buffer, std::size_t n) { return helper_->read(buffer, n, deadline); };
    unsigned char fields[9];
    std::string message;
    ReadEnd end = read(fields, sizeof fields);
    if (end == ReadEnd::Done) end = readText(message, read);
    if (end == ReadEnd::TimedOut) {
      stop();
      lostHelper(head);
      report(head,
             {CheckStatus::TimedOut, "timed out after " + describeLimit(options_.timeLimit), 0, 0});
      ++head;
      continue;
    }
    if (end == ReadEnd::Closed) {
      ScriptCheck ended = helperEnded("while AviSynth+ imported the script");
      lostHelper(head);
      if (aborted_) return;
      report(head, std::move(ended));
      ++head;
      continue;
    }
    headStarted = Clock::now();
    inFlightBytes -= inFlight.front();
    inFlight.pop_front();
    ScriptCheck result;
    result.status = fields[0] <= static_cast<unsigned char>(CheckStatus::Unavailable)
                        ? static_cast<CheckStatus>(fields[0])
                        : CheckStatus::Failed;
    result.line = static_cast<int>(getU32(fields + 1));
    result.column = static_cast<int>(getU32(fields + 5));
    result.message = std::move(message);
    report(head, std::move(result));
    ++head;
  }
}

}  // namespace clipquill
