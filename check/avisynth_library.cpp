// SPDX-License-Identifier: GPL-3.0-or-later
// The handful of C API functions the check needs, looked up by name. The
// header's own declarations are used as function pointer types
// (AVSC_NO_DECLSPEC), so that a change of signature would not compile.
#include "check/avisynth_library.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#define AVSC_NO_DECLSPEC
#include <avisynth_c.h>

#include "check/avisynth_loader.h"
#include "check/frame_picture.h"
#include "check/script_error.h"
#include "core/utf8_path.h"

namespace clipquill {

struct AvisynthLibrary::Api {
  void* handle = nullptr;
  avs_create_script_environment_func create = nullptr;
  avs_delete_script_environment_func destroy = nullptr;
  avs_get_error_func getError = nullptr;
  avs_invoke_func invoke = nullptr;
  avs_release_value_func release = nullptr;
  avs_take_clip_func takeClip = nullptr;
  avs_release_clip_func releaseClip = nullptr;
  avs_get_video_info_func videoInfo = nullptr;
  avs_get_frame_func getFrame = nullptr;
  avs_release_video_frame_func releaseFrame = nullptr;
  avs_get_pitch_p_func pitch = nullptr;
  avs_get_read_ptr_p_func readPtr = nullptr;
  avs_clip_get_error_func clipError = nullptr;
  avs_get_var_func getVar = nullptr;
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

// A clip the C API handed over, released when it goes.
class Clip {
 public:
  Clip(const AvisynthLibrary::Api& api, const AVS_Value& v, AVS_ScriptEnvironment* env)
      : api_(api), clip_(api.takeClip(v, env)) {}
  ~Clip() {
    if (clip_ != nullptr) api_.releaseClip(clip_);
  }
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;
  AVS_Clip* get() const { return clip_; }

 private:
  const AvisynthLibrary::Api& api_;
  AVS_Clip* clip_;
};

// AviSynth's own name of the clip's pixel type, from its PixelType().
std::string pixelTypeName(const AvisynthLibrary::Api& api, AVS_ScriptEnvironment* env,
                          const AVS_Value& clip) {
  Value name(api, api.invoke(env, "PixelType", clip, nullptr));
  return avs_is_string(*name) ? avs_as_string(*name) : std::string();
}

ClipInfo clipInfo(const AvisynthLibrary::Api& api, AVS_ScriptEnvironment* env,
                  const AVS_Value& value) {
  ClipInfo info;
  Clip clip(api, value, env);
  if (clip.get() == nullptr) return info;
  const AVS_VideoInfo* vi = api.videoInfo(clip.get());
  if (vi == nullptr) return info;
  info.video = avs_has_video(vi) != 0;
  if (info.video) {
    info.width = vi->width;
    info.height = vi->height;
    info.fpsNumerator = vi->fps_numerator;
    info.fpsDenominator = vi->fps_denominator;
    info.frameCount = vi->num_frames;
    info.pixelType = pixelTypeName(api, env, value);
  }
  info.audio = avs_has_audio(vi) != 0;
  if (info.audio) {
    info.sampleRate = vi->audio_samples_per_second;
    info.channels = vi->nchannels;
    info.sampleType = sampleTypeName(vi->sample_type);
    info.sampleCount = vi->num_audio_samples;
  }
  return info;
}

// Frame `frame` of the clip, converted to RGB32 by AviSynth+'s own
// ConvertToRGB32: without a matrix named, it takes the one the clip's frame
// properties carry, else Rec.601. RGB32 rows lie bottom to top in memory.
FramePicture renderFrame(const AvisynthLibrary::Api& api, AVS_ScriptEnvironment* env,
                         const AVS_Value& value, const ClipInfo& info, int frame) {
  FramePicture picture;
  picture.frame = frame;
  if (!info.video) {
    picture.error = "the clip has no picture (audio alone)";
    return picture;
  }
  if (std::string why = frameOutOfRange(frame, info.frameCount); !why.empty()) {
    picture.error = std::move(why);
    return picture;
  }
  // An RGB32 clip comes back as it is.
  Value rgb(api, api.invoke(env, "ConvertToRGB32", value, nullptr));
  if (avs_is_error(*rgb)) {
    picture.error = avs_as_error(*rgb);
    return picture;
  }
  Clip clip(api, *rgb, env);
  if (clip.get() == nullptr) {
    picture.error = "AviSynth+ gave no RGB32 clip";
    return picture;
  }
  const AVS_VideoInfo* vi = api.videoInfo(clip.get());
  AVS_VideoFrame* got = api.getFrame(clip.get(), frame);
  if (got == nullptr || vi == nullptr) {
    const char* err = api.clipError(clip.get());
    picture.error = err != nullptr ? err : "AviSynth+ gave no frame " + std::to_string(frame);
    if (got != nullptr) api.releaseFrame(got);
    return picture;
  }
  picture.width = vi->width;
  picture.height = vi->height;
  const std::size_t row = static_cast<std::size_t>(vi->width) * 4;
  picture.bgra.resize(row * static_cast<std::size_t>(vi->height));
  const int pitch = api.pitch(got, AVS_DEFAULT_PLANE);
  const BYTE* bottom = api.readPtr(got, AVS_DEFAULT_PLANE);
  for (int y = 0; y < vi->height; ++y) {
    const BYTE* source = bottom + static_cast<std::ptrdiff_t>(vi->height - 1 - y) * pitch;
    std::memcpy(picture.bgra.data() + row * static_cast<std::size_t>(y), source, row);
  }
  api.releaseFrame(got);
  return picture;
}

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
      !lookUp(api->handle, "avs_release_value", api->release, why) ||
      !lookUp(api->handle, "avs_take_clip", api->takeClip, why) ||
      !lookUp(api->handle, "avs_release_clip", api->releaseClip, why) ||
      !lookUp(api->handle, "avs_get_video_info", api->videoInfo, why) ||
      !lookUp(api->handle, "avs_get_frame", api->getFrame, why) ||
      !lookUp(api->handle, "avs_release_video_frame", api->releaseFrame, why) ||
      !lookUp(api->handle, "avs_get_pitch_p", api->pitch, why) ||
      !lookUp(api->handle, "avs_get_read_ptr_p", api->readPtr, why) ||
      !lookUp(api->handle, "avs_clip_get_error", api->clipError, why)) {
    avisynth_loader::close(api->handle);
    return nullptr;
  }
  // Only the function table needs it: a library without it still checks.
  api->getVar =
      reinterpret_cast<avs_get_var_func>(avisynth_loader::symbol(api->handle, "avs_get_var"));
  return std::unique_ptr<AvisynthLibrary>(new AvisynthLibrary(std::move(api)));
}

AvisynthLibrary::AvisynthLibrary(std::unique_ptr<Api> api) : api_(std::move(api)) {}

// The library stays loaded: AviSynth+ keeps threads and static state that
// unloading would pull from under them, and the process ends soon after.
AvisynthLibrary::~AvisynthLibrary() = default;

void AvisynthLibrary::setPluginFolders(std::vector<std::string> folders) {
  // AviSynth+ throws on an empty folder name, uncaught, which ended the
  // helper for every script; an empty name is no folder to add.
  std::erase_if(folders, [](const std::string& folder) { return folder.empty(); });
  pluginFolders_ = std::move(folders);
}

std::vector<std::string> AvisynthLibrary::pluginFiles() const {
  const std::string extension = avisynth_loader::pluginExtension();
  std::vector<std::string> files;
  for (const std::string& folder : pluginFolders_) {
    std::error_code ec;
    std::vector<std::filesystem::path> plugins;
    for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(folder), ec)) {
      std::string name = utf8Of(entry.path().filename());
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (name.ends_with(extension) && entry.is_regular_file(ec)) plugins.push_back(entry.path());
    }
    std::sort(plugins.begin(), plugins.end());
    for (const std::filesystem::path& plugin : plugins)
      files.push_back(utf8Of(plugin));
  }
  return files;
}

void AvisynthLibrary::loadPluginsOnce(const std::string& marker) {
  for (const std::string& path : pluginFiles()) {
    {
      std::ofstream out(pathFromUtf8(marker), std::ios::binary | std::ios::trunc);
      out << path;
    }
    Environment env(*api_);
    if (env.get() == nullptr) continue;
    Value loaded(
        *api_, api_->invoke(env.get(), "LoadPlugin", avs_new_value_string(path.c_str()), nullptr));
  }
  std::error_code ec;
  std::filesystem::remove(pathFromUtf8(marker), ec);
}

namespace {

// The names a list variable holds ("$InternalFunctions$"), each with the
// parameter string AviSynth+ keeps beside it, as from `source`.
void addListed(const AvisynthLibrary::Api& api, AVS_ScriptEnvironment* env, const char* list,
               const std::string& source, std::vector<AvsFunction>& out) {
  Value names(api, api.getVar(env, list));
  if (!avs_is_string(*names)) return;
  const std::string_view all = avs_as_string(*names);
  const std::size_t first = out.size();
  std::string var;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = std::min(all.find(' ', at), all.size());
    if (end > at) {
      const std::string_view name = all.substr(at, end - at);
      var.assign("$Plugin!").append(name).append("!Param$");
      Value params(api, api.getVar(env, var.c_str()));
      std::string signature = avs_is_string(*params) ? avs_as_string(*params) : std::string();
      // An overload's string replaces the one before under the same
      // variable, so a name listed again brings nothing new.
      const bool seen = std::any_of(
          out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
          [&](const AvsFunction& f) { return f.name == name && f.signature == signature; });
      if (!seen) {
        std::optional<std::vector<AvsParam>> parsed = parseAvsParams(signature);
        out.push_back({std::string(name), source, std::move(signature), std::move(parsed)});
      }
    }
    at = end + 1;
  }
}

}  // namespace

std::vector<AvsFunction> AvisynthLibrary::listFunctions() {
  std::vector<AvsFunction> functions;
  if (api_->getVar == nullptr) return functions;
  {
    Environment env(*api_);
    if (env.get() != nullptr)
      addListed(*api_, env.get(), "$InternalFunctions$", std::string(kInternalSource), functions);
  }
  for (const std::string& path : pluginFiles()) {
    Environment env(*api_);
    if (env.get() == nullptr) continue;
    Value loaded(
        *api_, api_->invoke(env.get(), "LoadPlugin", avs_new_value_string(path.c_str()), nullptr));
    if (avs_is_error(*loaded)) continue;
    addListed(*api_, env.get(), "$PluginFunctions$", path, functions);
  }
  return functions;
}

std::string AvisynthLibrary::path() const {
  return avisynth_loader::loadedPath(api_->handle);
}

std::string AvisynthLibrary::version() {
  Environment env(*api_);
  if (env.get() == nullptr) return "AviSynth+";
  Value v(*api_,
          api_->invoke(env.get(), "VersionString", avs_new_value_array(nullptr, 0), nullptr));
  return avs_is_string(*v) ? avs_as_string(*v) : "AviSynth+";
}

namespace {

AVS_Value importFile(const AvisynthLibrary::Api& api, AVS_ScriptEnvironment* env,
                     const std::string& path) {
  // Without utf8=true AviSynth+ on Windows takes the name in the ANSI code
  // page, and a script whose name is beyond it cannot be opened. Only a name
  // beyond ASCII needs it, so an AviSynth+ older than the argument still
  // opens every other script; for such a name it is asked for once without.
  const bool ascii = std::all_of(path.begin(), path.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) {
    AVS_Value args[2] = {avs_new_value_string(path.c_str()), avs_new_value_bool(1)};
    const char* names[2] = {nullptr, "utf8"};
    const AVS_Value result = api.invoke(env, "Import", avs_new_value_array(args, 2), names);
    if (!avs_is_error(result) ||
        std::string_view(avs_as_error(result)).find("named argument") == std::string_view::npos)
      return result;
    api.release(result);
  }
  return api.invoke(env, "Import", avs_new_value_string(path.c_str()), nullptr);
}

}  // namespace

ScriptCheck AvisynthLibrary::importScript(const std::string& path) {
  return importScript(path, -1);
}

ScriptCheck AvisynthLibrary::importScript(const std::string& path, int frame) {
  Environment env(*api_);
  if (env.get() == nullptr) {
    return ScriptCheck{CheckStatus::Unavailable, "AviSynth+ could not make a script environment", 0,
                       0};
  }
  for (const std::string& folder : pluginFolders_) {
    AVS_Value args[2] = {avs_new_value_string(folder.c_str()), avs_new_value_bool(1)};
    Value added(*api_,
                api_->invoke(env.get(), "AddAutoloadDir", avs_new_value_array(args, 2), nullptr));
  }
  Value result(*api_, importFile(*api_, env.get(), path));
  if (avs_is_error(*result)) {
    LocatedError e = locateScriptError(avs_as_error(*result), path);
    return ScriptCheck{CheckStatus::Failed, std::move(e.message), e.line, e.column};
  }
  if (const char* err = api_->getError(env.get()); err != nullptr) return failed(err);
  // An encoder opening the script wants a clip; anything else fails there.
  if (!avs_is_clip(*result)) return failed("the script does not return a clip");
  ScriptCheck good;
  good.clip = std::make_shared<const ClipInfo>(clipInfo(*api_, env.get(), *result));
  if (frame >= 0)
    good.picture = std::make_shared<const FramePicture>(
        renderFrame(*api_, env.get(), *result, *good.clip, frame));
  return good;
}

}  // namespace clipquill
