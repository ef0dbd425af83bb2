// SPDX-License-Identifier: GPL-3.0-or-later
// The checker and its helper talk over a channel the system provides
// (helper_process_*.cpp). Every message is a few fixed fields and
// length-counted bytes (a path may hold a line end).
//
//   helper -> checker, once:   u8 loaded, u32 n, n bytes (version or reason),
//                              u32 n, n bytes (what the sandbox could not bound),
//                              u32 n, n bytes (the library's file; none when n is 0)
//   checker -> helper:         u32 n, n bytes (the script's absolute path),
//                              i32 frame (the frame to render; -1: none)
//   helper -> checker:         u8 status, i32 line, i32 column, u32 n, n bytes,
//                              u8 flags, u32 n, n bytes (the clip's properties;
//                              none when n is 0), u32 n, n bytes (the frame's
//                              picture but its pixels; none when n is 0), and
//                              the pixels when it is a picture
//                              (width x height x 4 bytes)
//
//   checker -> helper:         u32 0, i32 -2 (no script: the function table)
//   helper -> checker:         u32 n, n bytes (encodeFunctions)
//
// A flag kHelperSpent says the helper ended after that answer (it ran out of
// memory, and what AviSynth+ holds may be broken): the scripts sent ahead go
// to a new helper.
//
// The helper's arguments after the library: "--plugins DIR" per folder of
// plugins to load, "--writable DIR" per folder it may write beneath,
// "--temp DIR" its private temporary folder, "--memory BYTES" its bound;
// "--unbounded", last, leaves the sandbox out.
#include "check/script_checker.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <utility>

#include "check/avisynth_library.h"
#include "check/helper_process.h"
#include "check/private_folder.h"
#include "check/sandbox.h"
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
constexpr unsigned char kHelperSpent = 1;
// The frame field of a request without a script that asks for the function
// table; and the most its answer may hold.
constexpr int kListFunctions = -2;
constexpr std::uint32_t kMaxTable = 256u << 20;
constexpr const char* kPluginsFlag = "--plugins";
constexpr const char* kWritableFlag = "--writable";
constexpr const char* kTempFlag = "--temp";
constexpr const char* kMemoryFlag = "--memory";
constexpr const char* kUnboundedFlag = "--unbounded";
constexpr const char* kTempPrefix = "clipquill-check-";
// In the helper's temporary folder: the plugin it is loading.
constexpr const char* kPluginMarker = "loading-plugin";

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
std::string encodeRequest(const std::string& path, int frame) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(path), ec);
  std::string request;
  putText(request, ec ? path : utf8Of(absolute));
  putU32(request, static_cast<std::uint32_t>(frame));
  return request;
}

// The helper's settings, read back from its arguments.
struct HelperArguments {
  std::string library;
  std::vector<std::string> pluginFolders;
  std::vector<std::string> writableFolders;
  std::string temp;
  std::uint64_t memoryBytes = 0;
  bool sandbox = true;
};

HelperArguments readHelperArguments(std::string library, const std::vector<std::string>& more) {
  HelperArguments args;
  args.library = std::move(library);
  // Past the pairs alone, so that no folder's name can stand for it.
  if (more.size() % 2 == 1 && more.back() == kUnboundedFlag) args.sandbox = false;
  for (std::size_t i = 0; i + 1 < more.size(); i += 2) {
    const std::string& value = more[i + 1];
    if (more[i] == kPluginsFlag) args.pluginFolders.push_back(value);
    if (more[i] == kWritableFlag) args.writableFolders.push_back(value);
    if (more[i] == kTempFlag) args.temp = value;
    if (more[i] == kMemoryFlag) args.memoryBytes = std::strtoull(value.c_str(), nullptr, 10);
  }
  return args;
}

[[noreturn]] void runHelper(const HelperArguments& args, SandboxEntry enter) {
  helper::openChannel();
  // Bounded before AviSynth+ or any plugin is loaded: from here on, what a
  // script runs runs inside the bounds.
  SandboxRules rules{args.writableFolders, args.memoryBytes};
  if (!args.temp.empty()) {
    rules.writableFolders.push_back(args.temp);
    setTemporaryFolder(args.temp);
  }
  const SandboxState sandbox = args.sandbox ? enter(rules) : SandboxState{};
  std::string why;
  auto avisynth = AvisynthLibrary::load(args.library, why);
  if (avisynth) {
    avisynth->setPluginFolders(args.pluginFolders);
    // Each plugin loaded once before the first script: one that crashes
    // AviSynth+ as it loads ends this helper here, its name in the marker,
    // rather than every script that calls a plugin's function.
    if (!args.pluginFolders.empty() && !args.temp.empty())
      avisynth->loadPluginsOnce(args.temp + "/" + kPluginMarker);
  }
  std::string hello(1, avisynth ? '\1' : '\0');
  putText(hello, avisynth ? avisynth->version() : why);
  putText(hello, args.sandbox ? sandbox.unconfined : std::string());
  putText(hello, avisynth ? avisynth->path() : std::string());
  if (!helper::sendToChecker(hello) || !avisynth) helper::endHelper();
  std::string path;
  unsigned char frameField[4];
  auto read = [](void* buffer, std::size_t n) { return helper::readFromChecker(buffer, n); };
  while (readText(path, read) == ReadEnd::Done && read(frameField, 4) == ReadEnd::Done) {
    const int frame = static_cast<int>(getU32(frameField));
    if (path.empty() && frame == kListFunctions) {
      std::string table;
      putText(table, encodeFunctions(avisynth->listFunctions()));
      if (!helper::sendToChecker(table)) break;
      continue;
    }
    ScriptCheck result;
    bool spent = false;
    try {
      result = avisynth->importScript(path, frame);
    } catch (const std::bad_alloc&) {
      result = ScriptCheck{CheckStatus::Failed, "out of memory", 0, 0};
    }
    // What AviSynth+ holds after a failed allocation is not to be trusted:
    // this helper answers and ends, and the next script gets a new one.
    if (result.status == CheckStatus::Failed && saysOutOfMemory(result.message)) {
      spent = true;
      if (result.message != "out of memory") result.message = "out of memory: " + result.message;
    }
    std::string answer(1, static_cast<char>(result.status));
    putU32(answer, static_cast<std::uint32_t>(result.line));
    putU32(answer, static_cast<std::uint32_t>(result.column));
    putText(answer, result.message);
    answer.push_back(spent ? static_cast<char>(kHelperSpent) : 0);
    putText(answer, result.clip ? encodeClipInfo(*result.clip) : std::string());
    putText(answer, result.picture ? encodeFrameHeader(*result.picture) : std::string());
    if (!helper::sendToChecker(answer)) break;
    // The pixels as they are, without a copy into the answer.
    if (result.picture && result.picture->ok() &&
        !helper::sendToChecker(
            std::string_view(reinterpret_cast<const char*>(result.picture->bgra.data()),
                             result.picture->bgra.size()))) {
      break;
    }
    if (spent) break;
  }
  helper::endHelper();
}

}  // namespace

void runCheckHelperIfAsked(int argc, char** argv, SandboxEntry enter) {
  if (auto library = helper::helperLibrary(argc, argv)) {
    runHelper(readHelperArguments(*library, helper::helperArguments(argc, argv)), enter);
  }
}

ScriptChecker::ScriptChecker(CheckerOptions options)
    : options_(std::move(options)), frame_(options_.frame) {
  if (options_.helper.empty()) options_.helper = helper::thisProgram();
  places_ = options_.places;
  if (places_.empty()) {
    places_.push_back({options_.library.empty() ? AvisynthOrigin::System : AvisynthOrigin::Named,
                       options_.library});
  }
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
  removeTemp();
}

std::string ScriptChecker::crashedPlugin() const {
  if (temp_.empty()) return {};
  std::ifstream marker(pathFromUtf8(temp_ + "/" + kPluginMarker), std::ios::binary);
  std::string plugin;
  std::getline(marker, plugin, '\0');
  return plugin;
}

void ScriptChecker::removeTemp() {
  if (temp_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(pathFromUtf8(temp_), ec);
  temp_.clear();
}

void ScriptChecker::abort() {
  aborted_ = true;
  std::lock_guard lock(helperMutex_);
  if (helper_) helper_->kill();
}

bool ScriptChecker::start() {
  for (;;) {
    if (startAt(places_[place_])) return true;
    // A plugin that crashed AviSynth+ as it loaded: the same library again,
    // without the plugin folders.
    if (std::exchange(pluginCrashed_, false)) continue;
    // Only a library that did not load gives way to the next place: a
    // helper that cannot start or a busy machine is no reason to.
    if (available_ != false || !libraryRefused_ || place_ + 1 >= places_.size()) return false;
    const AvisynthPlace& refused = places_[place_];
    if (refused.origin == AvisynthOrigin::Options) {
      passedOver_ = "The AviSynth+ library set in Options, " + refused.library +
                    ", cannot be loaded (" + detail_ + ")";
      firstRefusal_ = detail_;
    }
    ++place_;
    available_.reset();
  }
}

bool ScriptChecker::startAt(const AvisynthPlace& place) {
  libraryRefused_ = false;
  if (aborted_) return false;
  if (helper_) return true;
  if (available_ == false) return false;

  // The helper's own temporary folder, emptied and removed with it.
  removeTemp();
  // Those of helpers whose checker ended by a signal, once a process.
  static std::once_flag swept;
  std::call_once(swept, [] { sweepStalePrivateFolders(kTempPrefix, FolderBase::Temporary); });
  temp_ = makeTemporaryFolder(kTempPrefix);
  std::vector<std::string> arguments;
  const auto add = [&](const char* flag, const std::string& value) {
    arguments.emplace_back(flag);
    arguments.push_back(value);
  };
  if (!withoutPlugins_) {
    for (const std::string& folder : options_.pluginFolders)
      add(kPluginsFlag, folder);
    for (const std::string& folder : place.pluginFolders)
      add(kPluginsFlag, folder);
  }
  for (const std::string& folder : options_.writableFolders)
    add(kWritableFlag, folder);
  if (!temp_.empty()) add(kTempFlag, temp_);
  add(kMemoryFlag,
      std::to_string(options_.memoryLimit > 0 ? options_.memoryLimit : defaultMemoryBound()));
  // Last, alone: the pairs above are read two by two.
  if (!options_.sandbox) arguments.emplace_back(kUnboundedFlag);
  std::string why;
  auto started = helper::Process::start(options_.helper, place.library,
                                        helper::Limits{options_.memoryLimit}, why, arguments);
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
  std::string unconfined;
  std::string libraryFile;
  ReadEnd end = read(&loaded, 1);
  if (end == ReadEnd::Done) end = readText(text, read);
  if (end == ReadEnd::Done) end = readText(unconfined, read);
  if (end == ReadEnd::Done) end = readText(libraryFile, read);
  if (end != ReadEnd::Done) {
    const std::string plugin = crashedPlugin();
    stop();
    if (!plugin.empty() && !withoutPlugins_) {
      withoutPlugins_ = true;
      pluginCrashed_ = true;
      if (!passedOver_.empty()) passedOver_ += "\n";
      passedOver_ += "The plugin " + plugin + (end == ReadEnd::TimedOut ? " hung" : " crashed") +
                     " AviSynth+ as it was loaded: checking without the plugin folders";
      return false;
    }
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
  unconfined_ = std::move(unconfined);
  if (!*available_) {
    libraryRefused_ = true;
    stop();
    // The last place's reason alone would hide why the user's own
    // library was passed over.
    if (place_ > 0 && !firstRefusal_.empty()) detail_ = firstRefusal_ + "; " + detail_;
    return false;
  }
  used_ = detail_;
  usedVersion_ = detail_;
  const std::string& file = libraryFile.empty() ? place.library : libraryFile;
  usedLibrary_ = file;
  // Those asked for, even when a plugin that crashed AviSynth+ left them
  // out: a plugin mended there changes what the check could load.
  usedPluginFolders_ = options_.pluginFolders;
  usedPluginFolders_.insert(usedPluginFolders_.end(), place.pluginFolders.begin(),
                            place.pluginFolders.end());
  if (!file.empty()) used_ += ", " + file;
  used_ += std::string(", ") + describeOrigin(place.origin);
  return true;
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

std::optional<std::vector<AvsFunction>> ScriptChecker::functions(std::string* why) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!start()) {
      if (why != nullptr) *why = restartFailure_ ? restartFailure_->message : detail_;
      restartFailure_.reset();
      return std::nullopt;
    }
    std::string request;
    putU32(request, 0);
    putU32(request, static_cast<std::uint32_t>(kListFunctions));
    if (!helper_->send(request)) {
      stop();
      continue;
    }
    const auto deadline = Clock::now() + options_.timeLimit;
    auto read = [&](void* buffer, std::size_t n) { return helper_->read(buffer, n, deadline); };
    unsigned char count[4];
    std::string bytes;
    ReadEnd end = read(count, 4);
    if (end == ReadEnd::Done) {
      const std::uint32_t n = getU32(count);
      if (n > kMaxTable) {
        end = ReadEnd::Closed;
      } else {
        bytes.resize(n);
        end = read(bytes.data(), n);
      }
    }
    if (end == ReadEnd::TimedOut) {
      stop();
      if (why != nullptr)
        *why = "AviSynth+ did not list its functions within " + describeLimit(options_.timeLimit);
      return std::nullopt;
    }
    if (end == ReadEnd::Closed) {
      ScriptCheck ended = helperEnded("while AviSynth+ listed its functions");
      if (why != nullptr) *why = "AviSynth+ " + ended.message;
      return std::nullopt;
    }
    std::optional<std::vector<AvsFunction>> table = decodeFunctions(bytes);
    if (!table && why != nullptr) *why = "the check's helper sent a broken function table";
    return table;
  }
  if (why != nullptr) *why = "the check's helper ended before it listed AviSynth+'s functions";
  return std::nullopt;
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

ScriptCheck ScriptChecker::render(const std::string& path, int frame) {
  const int asked = frame_;
  frame_ = frame;
  ScriptCheck result = check(path);
  frame_ = asked;
  return result;
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
        const std::string request = encodeRequest(paths[head], frame_);
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
      const std::string request = encodeRequest(paths[next], frame_);
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
    unsigned char flags = 0;
    std::string clip;
    std::string pictureHeader;
    std::optional<FramePicture> picture;
    ReadEnd end = read(fields, sizeof fields);
    if (end == ReadEnd::Done) end = readText(message, read);
    if (end == ReadEnd::Done) end = read(&flags, 1);
    if (end == ReadEnd::Done) end = readText(clip, read);
    if (end == ReadEnd::Done) end = readText(pictureHeader, read);
    if (end == ReadEnd::Done && !pictureHeader.empty()) {
      picture = decodeFrameHeader(pictureHeader);
      if (!picture) {
        end = ReadEnd::Closed;  // a broken peer
      } else if (picture->ok()) {
        picture->bgra.resize(static_cast<std::size_t>(picture->width) * picture->height * 4);
        end = read(picture->bgra.data(), picture->bgra.size());
      }
    }
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
    if (std::optional<ClipInfo> info = clip.empty() ? std::nullopt : decodeClipInfo(clip)) {
      result.clip = std::make_shared<const ClipInfo>(std::move(*info));
    }
    if (picture) result.picture = std::make_shared<const FramePicture>(std::move(*picture));
    if ((flags & kHelperSpent) != 0) {
      // Spent: what was sent ahead is sent again, to a new helper.
      stop();
      lostHelper(head);
    }
    report(head, std::move(result));
    ++head;
  }
}

}  // namespace clipquill
