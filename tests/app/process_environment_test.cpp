// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/process_environment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace clipquill {
namespace {

// Sets (or, for nullopt, unsets) environment variables for one test and puts
// them back afterwards.
class ScopedEnv {
 public:
  explicit ScopedEnv(std::map<std::string, std::optional<std::string>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
      set(name, value);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_)
      set(name, value);
  }

 private:
  static void set(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(ProcessEnvironment, ADisplayIsAnXOrWaylandDisplayOrANamedPlatform) {
  using Env = std::optional<std::string>;
  struct Case {
    const char* name;
    Env platform, display, wayland;
    std::vector<std::string> args;
    bool expected;
  };
  const Case cases[] = {
      {"nothing at all", {}, {}, {}, {}, false},
      {"empty values count as unset", "", "", "", {}, false},
      {"X11", {}, ":0", {}, {}, true},
      {"Wayland", {}, {}, "wayland-0", {}, true},
      {"platform in the environment", "offscreen", {}, {}, {}, true},
      {"-platform name", {}, {}, {}, {"-platform", "offscreen"}, true},
      {"--platform=name", {}, {}, {}, {"--platform=offscreen"}, true},
      {"-platform without a name", {}, {}, {}, {"-platform"}, false},
      {"a template named like the option", {}, {}, {}, {"platform"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopedEnv env(
        {{"QT_QPA_PLATFORM", c.platform}, {"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland}});
    std::vector<std::string> args{"clipquill"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    EXPECT_EQ(hasDisplay(static_cast<int>(argv.size()), argv.data()), c.expected);
  }
}

TEST(ProcessEnvironment, HomeFolderIsOneThatCanBeListed) {
  testing::TempDir dir;
  {
    const ScopedEnv env({{"HOME", dir.path()}});
    EXPECT_EQ(homeFolder(), dir.path());
  }
  {
    const ScopedEnv env({{"HOME", dir.path() + "/missing"}});
    EXPECT_EQ(homeFolder(), "");
  }
}

}  // namespace
}  // namespace clipquill
