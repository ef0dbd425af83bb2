// SPDX-License-Identifier: GPL-3.0-or-later
// The key is what a stat of each file gives, not its bytes: a start must
// not read a plugin folder's megabytes to learn that nothing changed.
#include "check/function_cache.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <system_error>

#include "core/utf8_path.h"

namespace clipquill {
namespace {

void describeFile(std::string& key, const std::filesystem::path& file) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  const auto time = std::filesystem::last_write_time(file, ec);
  key += utf8Of(file);
  key += '\0';
  if (ec) {
    key += "missing";
  } else {
    key += std::to_string(size) + " " + std::to_string(time.time_since_epoch().count());
  }
  key += '\n';
}

// The files AviSynth+ would take as plugins from `folder`, in order.
std::vector<std::filesystem::path> pluginsIn(const std::string& folder) {
  const std::string extension = pluginFileEnding();
  std::vector<std::filesystem::path> plugins;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(folder), ec)) {
    std::string name = utf8Of(entry.path().filename());
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.ends_with(extension)) plugins.push_back(entry.path());
  }
  std::sort(plugins.begin(), plugins.end());
  return plugins;
}

std::string hexOf(std::size_t v) {
  std::ostringstream out;
  out << std::hex << v;
  return out.str();
}

}  // namespace

std::string functionCacheKey(const std::string& library,
                             const std::vector<std::string>& pluginFolders) {
  std::string key;
  describeFile(key, pathFromUtf8(library));
  for (const std::string& folder : pluginFolders) {
    key += "folder " + folder + '\n';
    for (const std::filesystem::path& plugin : pluginsIn(folder))
      describeFile(key, plugin);
  }
  return key;
}

std::string functionCachePath(const std::string& folder, const CheckerOptions& options) {
  // Which AviSynth+ is taken depends on the places and the folders given;
  // their names make the file's.
  std::string choice = options.library + '\n';
  for (const AvisynthPlace& place : options.places) {
    choice += std::to_string(static_cast<int>(place.origin)) + " " + place.library + '\n';
    for (const std::string& plugins : place.pluginFolders)
      choice += " " + plugins + '\n';
  }
  for (const std::string& plugins : options.pluginFolders)
    choice += "plugins " + plugins + '\n';
  return utf8Of(pathFromUtf8(folder) /
                ("functions-" + hexOf(std::hash<std::string>{}(choice)) + ".bin"));
}

std::optional<FunctionTableRecord> readFunctionCache(const std::string& path) {
  std::ifstream in(pathFromUtf8(path), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::optional<FunctionTableRecord> record = decodeFunctionRecord(bytes);
  if (!record || record->key != functionCacheKey(record->library, record->pluginFolders))
    return std::nullopt;
  return record;
}

bool writeFunctionCache(const std::string& path, const FunctionTableRecord& record) {
  const std::filesystem::path file = pathFromUtf8(path);
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  std::filesystem::path partial = file;
  partial += ".part";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << encodeFunctionRecord(record);
    if (!out.flush()) return false;
  }
  std::filesystem::rename(partial, file, ec);
  if (ec) std::filesystem::remove(partial, ec);
  return !ec;
}

std::optional<FunctionTableRecord> askFunctionTable(ScriptChecker& checker, std::string* why) {
  std::optional<std::vector<AvsFunction>> functions = checker.functions(why);
  if (!functions) return std::nullopt;
  FunctionTableRecord record;
  record.library = checker.usedLibrary();
  record.version = checker.usedVersion();
  record.pluginFolders = checker.usedPluginFolders();
  record.passedOver = checker.passedOver();
  record.key = functionCacheKey(record.library, record.pluginFolders);
  record.functions = std::move(*functions);
  return record;
}

std::string describeInstallation(const FunctionTableRecord& record) {
  std::string text = record.version.substr(0, record.version.find(" ("));
  if (text.empty()) text = "AviSynth+";
  for (std::size_t i = 0; i < record.pluginFolders.size(); ++i) {
    text +=
        i == 0 ? " with the plugins of " : (i + 1 == record.pluginFolders.size() ? " and " : ", ");
    text += record.pluginFolders[i];
  }
  return text;
}

std::optional<FunctionTableRecord> loadFunctionTable(const CheckerOptions& options,
                                                     const std::string& cacheFolder,
                                                     std::string* why, bool* cached) {
  const std::string path =
      cacheFolder.empty() ? std::string() : functionCachePath(cacheFolder, options);
  if (cached != nullptr) *cached = false;
  if (!path.empty()) {
    if (std::optional<FunctionTableRecord> record = readFunctionCache(path)) {
      if (cached != nullptr) *cached = true;
      return record;
    }
  }
  ScriptChecker checker(options);
  std::optional<FunctionTableRecord> record = askFunctionTable(checker, why);
  if (record && !path.empty()) writeFunctionCache(path, *record);
  return record;
}

}  // namespace clipquill
