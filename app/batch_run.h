// SPDX-License-Identifier: GPL-3.0-or-later
// "Make AviSynth scripts" for clips handed over from a file manager: the
// template run once per folder of the batch, with that folder as the source
// and the clips of it selected. What would refuse part of the batch (a
// joined script over several folders, scripts of two folders sharing one
// path, a destination that takes no file) refuses all of it first, so that a
// batch is never half-written. The window's batch and the command line's
// --clips both run it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/clip_batch.h"
#include "app/main_window_model.h"
#include "core/user_port.h"

namespace clipquill {

struct BatchResult {
  std::vector<std::string> written;  // full paths of the scripts written, in order
  std::vector<std::string> folders;  // the folders written to, each once, in order
  // Why nothing was written, when the batch was refused whole; "" otherwise.
  std::string refusal;
  RunOutcome outcome = RunOutcome::Completed;  // the first run that did not complete
  bool failed = false;  // a run ended in an error, which the front end was shown
};

// Runs the batch on a model that has started on its template. A refusal is
// shown to user as an error message and returned; the runs' questions and
// errors reach the model's own front end. takesNewFiles is asked of each
// destination before anything is written.
BatchResult runClipBatch(
    MainWindowModel& model, const ClipBatch& batch, UserPort& user,
    const std::function<bool(const std::string&)>& takesNewFiles = folderTakesNewFiles);

}  // namespace clipquill
