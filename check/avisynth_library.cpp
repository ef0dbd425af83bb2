// SPDX-License-Identifier: GPL-3.0-or-later
// The handful of C API functions the check needs, looked up by name. The
// header's own declarations are used as function pointer types
// (AVSC_NO_DECLSPEC), so that a change of signature would not compile.
#include "check/avisynth_library.h"

#define AVSC_NO_DECLSPEC
#include <avisynth_c.h>

#include "check/avisynth_loader.h"
#include "check/script_error.h"

namespace clipquill {

struct AvisynthLibrary::Api {
  void* handle = nullptr;
  avs_create_script_environment_func create = nullptr;
  avs_delete_script_environment_func destroy = nullptr;
  avs_get_error_func getError = nullptr;
  avs_invoke_func invoke = nullptr;
  avs_release_value_func release = nullptr;
};

namespace {

// The interface the check asks for: old enough for every AviSynth+ that a
// distribution ships, since Import is all it uses.
constexpr int kInterfaceVersion = 6;

template <typename F>
bool lookUp(void* handle, const char* name, F& f, std::string& why) {
  f = reinterpret_cast<F>(avisynth_loader::symbol(handle, name));
  if (f == nullptr) why = std::string("the AviSynth+ library has no ") + name;
  return f != nullptr;
}

// A script environment, deleted however the check ends.
class Environment {
 public:
  Environment(const AvisynthLibrary::Api& api) : api_(api), env_(api.create(kInterfaceVersion)) {}
  ~Environment() {
    if (env_ != nullptr) api_.destroy(env_);
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  AVS_ScriptEnvironment* get() const { return env_; }

 private:
  const AvisynthLibrary::Api& api_;
  AVS_ScriptEnvironment* env_;
};

// A value the C API handed over, released when it goes.
class Value {
 public:
  Value(const AvisynthLibrary::Api& api, AVS_Value v) : api_(api), v_(v) {}
  ~Value() { api_.release(v_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  const AVS_Value& operator*() const { return v_; }

 private:
  const AvisynthLibrary::Api& api_;
  AVS_Value v_;
};

ScriptCheck failed(std::string message) {
  return ScriptCheck{CheckStatus::Failed, std::move(message), 0, 0};
}

}  // namespace

std::unique_ptr<AvisynthLibrary> AvisynthLibrary::load(const std::string& path, std::string& why) {
  auto api = std::make_unique<Api>();
  api->handle = avisynth_loader::open(path, why);
  if (api->handle == nullptr) return nullptr;
  if (!lookUp(api->handle, "avs_create_script_environment", api->create, why) ||
      !lookUp(api->handle, "avs_delete_script_environment", api->destroy, why) ||
      !lookUp(api->handle, "avs_get_error", api->getError, why) ||
      !lookUp(api->handle, "avs_invoke", api->invoke, why) ||
      !lookUp(api->handle, "avs_release_value", api->release, why)) {
    avisynth_loader::close(api->handle);
    return nullptr;
  }
  return std::unique_ptr<AvisynthLibrary>(new AvisynthLibrary(std::move(api)));
}

AvisynthLibrary::AvisynthLibrary(std::unique_ptr<Api> api) : api_(std::move(api)) {}

// The library stays loaded: AviSynth+ keeps threads and static state that
// unloading would pull from under them, and the process ends soon after.
AvisynthLibrary::~AvisynthLibrary() = default;

std::string AvisynthLibrary::version() {
  Environment env(*api_);
  if (env.get() == nullptr) return "AviSynth+";
  Value v(*api_,
          api_->invoke(env.get(), "VersionString", avs_new_value_array(nullptr, 0), nullptr));
  return avs_is_string(*v) ? avs_as_string(*v) : "AviSynth+";
}

ScriptCheck AvisynthLibrary::importScript(const std::string& path) {
  Environment env(*api_);
  if (env.get() == nullptr) {
    return ScriptCheck{CheckStatus::Unavailable, "AviSynth+ could not make a script environment", 0,
                       0};
  }
  AVS_Value arg = avs_new_value_string(path.c_str());
  Value result(*api_, api_->invoke(env.get(), "Import", arg, nullptr));
  if (avs_is_error(*result)) {
    LocatedError e = locateScriptError(avs_as_error(*result), path);
    return ScriptCheck{CheckStatus::Failed, std::move(e.message), e.line, e.column};
  }
  if (const char* err = api_->getError(env.get()); err != nullptr) return failed(err);
  // An encoder opening the script wants a clip; anything else fails there.
  if (!avs_is_clip(*result)) return failed("the script does not return a clip");
  return ScriptCheck{};
}

}  // namespace clipquill
