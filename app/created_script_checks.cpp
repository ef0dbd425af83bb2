// SPDX-License-Identifier: GPL-3.0-or-later
// Results cross from the check's thread to the window's through Post; each
// carries the run it belongs to, so that one arriving after a new run began,
// or after the list went, changes nothing.
#include "app/created_script_checks.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace clipquill {

struct CreatedScriptChecks::State {
  Changed changed;
  unsigned run = 0;
  std::vector<std::string> names;  // the scripts, list line i + 1
  std::string destDir;
  std::vector<Mark> marks;
  std::vector<ScriptCheck> checks;
  std::string status;
  bool unavailable = false;
  bool finished = false;
  // Why the check runs unconfined, said with the run that first learned it
  // and then no more this session, as the command line says it once.
  std::string unconfined;
  bool unconfinedSaid = false;
  // Which AviSynth+ checks, and a library set in Options passed over.
  std::string used;

  void take(std::size_t index, const ScriptCheck& check) {
    if (unavailable) return;
    if (check.status == CheckStatus::Unavailable) {
      unavailable = true;
      std::fill(marks.begin(), marks.end(), Mark::None);
      status = "AviSynth+ is not available: " + check.message + ". " + avisynthHint();
    } else if (index < names.size()) {
      checks[index] = check;
      marks[index] = check.good() ? Mark::Good : Mark::Failed;
    } else {
      status = summarizeChecks(names, checks);
      finished = true;
    }
  }
};

CreatedScriptChecks::CreatedScriptChecks(Post post, Changed changed)
    : post_(std::move(post)), state_(std::make_shared<State>()) {
  state_->changed = std::move(changed);
}

// The thread goes first: nothing is posted once it is joined, and what was
// posted before finds the state gone.
CreatedScriptChecks::~CreatedScriptChecks() {
  running_.reset();
}

void CreatedScriptChecks::clear() {
  running_.reset();
  ++state_->run;
  state_->names.clear();
  state_->marks.clear();
  state_->checks.clear();
  state_->status.clear();
  state_->unavailable = false;
  state_->finished = false;
  state_->unconfined.clear();
  state_->used.clear();
}

void CreatedScriptChecks::start(const CheckerOptions& options, const std::string& destDir,
                                const std::vector<std::string>& lines) {
  clear();
  if (lines.size() < 2) return;
  State& s = *state_;
  s.names.assign(lines.begin() + 1, lines.end());
  s.destDir = destDir;
  s.marks.assign(s.names.size(), Mark::Checking);
  s.checks.assign(s.names.size(), ScriptCheck{});
  s.status = "AviSynth+: checking " + std::to_string(s.names.size()) +
             (s.names.size() == 1 ? " script" : " scripts");
  std::vector<std::string> paths;
  for (const auto& name : s.names)
    paths.push_back(destDir + name);
  std::weak_ptr<State> weak = state_;
  const unsigned run = s.run;
  // Results gather here; the window's thread is woken once for all that
  // came while it was busy, not once per script.
  struct Inbox {
    std::mutex mutex;
    std::vector<std::pair<std::size_t, ScriptCheck>> results;
  };
  auto inbox = std::make_shared<Inbox>();
  running_ = std::make_unique<BackgroundCheck>(
      options, std::move(paths),
      [post = post_, weak, run, inbox](std::size_t i, const ScriptCheck& c) {
        {
          std::lock_guard lock(inbox->mutex);
          inbox->results.emplace_back(i, c);
          if (inbox->results.size() > 1) return;  // a wake-up is on its way
        }
        post([weak, run, inbox] {
          std::vector<std::pair<std::size_t, ScriptCheck>> results;
          {
            std::lock_guard lock(inbox->mutex);
            results.swap(inbox->results);
          }
          auto state = weak.lock();
          if (!state || state->run != run) return;
          for (const auto& [index, check] : results)
            state->take(index, check);
          state->changed();
        });
      },
      [post = post_, weak, run](const std::string& why) {
        post([weak, run, why] {
          auto state = weak.lock();
          if (!state || state->run != run || std::exchange(state->unconfinedSaid, true)) return;
          state->unconfined = why;
          state->changed();
        });
      },
      [post = post_, weak, run](const std::string& used, const std::string& passedOver) {
        post([weak, run, used, passedOver] {
          auto state = weak.lock();
          if (!state || state->run != run) return;
          state->used = "Checked with " + used;
          if (!passedOver.empty()) state->used += "\n" + passedOver;
          state->changed();
        });
      });
  s.changed();
}

CreatedScriptChecks::Mark CreatedScriptChecks::mark(std::size_t line) const {
  if (line == 0 || line > state_->marks.size()) return Mark::None;
  return state_->marks[line - 1];
}

std::string CreatedScriptChecks::tip(std::size_t line) const {
  const Mark m = mark(line);
  if (m != Mark::Good && m != Mark::Failed) return "";
  return describeCheck(state_->checks[line - 1]);
}

std::string CreatedScriptChecks::status() const {
  const State& s = *state_;
  // Where nothing is checked, there is nothing to bound.
  if (s.unconfined.empty() || s.unavailable) return s.status;
  return s.status + " (unconfined)";
}

std::string CreatedScriptChecks::statusTip() const {
  const State& s = *state_;
  std::string tip = s.status;
  if (!s.unconfined.empty() && !s.unavailable) tip += "\n" + s.unconfined;
  if (!s.used.empty() && !s.unavailable) tip += "\n" + s.used;
  return tip;
}

bool CreatedScriptChecks::unavailable() const {
  return state_->unavailable;
}

bool CreatedScriptChecks::finished() const {
  return state_->finished;
}

std::vector<CreatedScriptChecks::Problem> CreatedScriptChecks::problems() const {
  std::vector<Problem> found;
  const State& s = *state_;
  for (std::size_t i = 0; i < s.marks.size(); ++i) {
    if (s.marks[i] == Mark::Failed) found.push_back({i + 1, s.destDir + s.names[i], s.checks[i]});
  }
  return found;
}

std::string CreatedScriptChecks::Problem::name() const {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CreatedScriptChecks::Problem::row() const {
  std::string text = name() + ": ";
  if (check.line > 0) {
    text += std::to_string(check.line) + ":";
    if (check.column > 0) text += std::to_string(check.column) + ":";
    text += " ";
  }
  return text + check.message;
}

std::string CreatedScriptChecks::Problem::copyText() const {
  return formatCheckLine(path, check);
}

}  // namespace clipquill
