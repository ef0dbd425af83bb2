// SPDX-License-Identifier: GPL-3.0-or-later
// libavisynth.so through dlopen: a path given, or where the dynamic loader
// looks.
#include <dlfcn.h>
#include <link.h>

#include <array>

#include "check/avisynth_loader.h"

namespace clipquill::avisynth_loader {
namespace {

// The development link first, then the run-time names of the interface
// versions AviSynth+ has had on Linux.
constexpr std::array kLibraryNames = {"libavisynth.so", "libavisynth.so.11", "libavisynth.so.10",
                                      "libavisynth.so.9", "libavisynth.so.8"};

}  // namespace

void* open(const std::string& path, std::string& why) {
  if (!path.empty()) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* err = dlerror();
      why = err != nullptr ? err : "cannot load " + path;
    }
    return handle;
  }
  for (const char* name : kLibraryNames) {
    if (void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  why = "AviSynth+ (libavisynth.so) is not installed where the dynamic loader looks";
  return nullptr;
}

void* symbol(void* handle, const char* name) {
  return dlsym(handle, name);
}

void close(void* handle) {
  dlclose(handle);
}

const char* pluginExtension() {
  return ".so";
}

std::string loadedPath(void* handle) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
    return {};
  return map->l_name;
}

}  // namespace clipquill::avisynth_loader
