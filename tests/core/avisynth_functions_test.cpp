// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth's parameter strings read apart, and the function table's bytes
// read back whole or not at all.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/avisynth_functions.h"

namespace clipquill {
namespace {

using Params = std::vector<AvsParam>;

struct ParamsCase {
  const char* signature;
  std::optional<Params> expected;
};

class ParseAvsParams : public testing::TestWithParam<ParamsCase> {};

TEST_P(ParseAvsParams, ReadsEachParameter) {
  const ParamsCase& c = GetParam();
  EXPECT_EQ(parseAvsParams(c.signature), c.expected) << c.signature;
}

const AvsType C = AvsType::Clip, I = AvsType::Int, F = AvsType::Float, S = AvsType::String,
              B = AvsType::Bool, V = AvsType::Any;

INSTANTIATE_TEST_SUITE_P(
    Signatures, ParseAvsParams,
    testing::Values(ParamsCase{"", Params{}}, ParamsCase{"c", Params{{"", C, false, false}}},
                    ParamsCase{"c[width]i[height]i", Params{{"", C, false, false},
                                                            {"width", I, true, false},
                                                            {"height", I, true, false}}},
                    // Repeats: '*' zero or more (optional), '+' one or more.
                    ParamsCase{"c+[cache]b",
                               Params{{"", C, false, true}, {"cache", B, true, false}}},
                    ParamsCase{"s.*", Params{{"", S, false, false}, {"", V, true, true}}},
                    ParamsCase{"[args]v*", Params{{"args", V, true, true}}},
                    ParamsCase{"[fps]f[a]n[b]a", Params{{"fps", F, true, false},
                                                        {"a", AvsType::Function, true, false},
                                                        {"b", AvsType::Array, true, false}}},
                    // A name in brackets may hold what AviSynth+ lets it.
                    ParamsCase{"[]i", Params{{"", I, true, false}}},
                    // Malformed: the function is then shown without parameters.
                    ParamsCase{"c[width", std::nullopt}, ParamsCase{"c[width]", std::nullopt},
                    ParamsCase{"x", std::nullopt}, ParamsCase{"*", std::nullopt},
                    ParamsCase{"c**", std::nullopt}, ParamsCase{"c i", std::nullopt},
                    ParamsCase{"[a][b]i", std::nullopt}));

TEST(DescribeParams, NamesTypesAndRepeats) {
  EXPECT_EQ(describeParams(*parseAvsParams("c[width]i.*s+")), "clip, int width, val*, string+");
  EXPECT_EQ(describeParams({}), "");
}

TEST(FunctionTable, ReadsBackWhatWasWritten) {
  const std::vector<AvsFunction> table = {
      {"BlankClip", "internal", "[]c*[length]i", std::nullopt},
      {"FFVideoSource", "/p/libffms2.so", "[source]s[track]i", std::nullopt},
      {"Broken", "/p/x.so", "c[oops", std::nullopt},
  };
  const std::optional<std::vector<AvsFunction>> back = decodeFunctions(encodeFunctions(table));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 3u);
  EXPECT_EQ((*back)[1].name, "FFVideoSource");
  EXPECT_EQ((*back)[1].source, "/p/libffms2.so");
  ASSERT_TRUE((*back)[1].params);
  EXPECT_EQ((*back)[1].params->at(1), (AvsParam{"track", I, true, false}));
  EXPECT_FALSE((*back)[2].params);  // kept, without parameters
}

TEST(FunctionTable, BrokenBytesAreNoTable) {
  const std::string good = encodeFunctions({{"Trim", "internal", "cii", std::nullopt}});
  std::string wrongTag = good;
  wrongTag[0] = 'X';
  std::string hugeCount = good;
  hugeCount[22] = '\xff';  // the count just after the tag
  const std::string cases[] = {
      "",
      good.substr(0, good.size() - 1),
      good + "x",
      wrongTag,
      hugeCount,
      encodeFunctions({{"", "internal", "c", std::nullopt}}),  // a function without a name
  };
  for (const std::string& bytes : cases) {
    EXPECT_FALSE(decodeFunctions(bytes)) << testing::PrintToString(bytes);
  }
  EXPECT_TRUE(decodeFunctions(encodeFunctions({})));
}

TEST(FunctionRecord, ReadsBackWhatWasWrittenAndNothingBroken) {
  FunctionTableRecord record;
  record.key = "/lib\0 1 2\n";
  record.library = "/lib";
  record.version = "AviSynth+ 3.7.5";
  record.pluginFolders = {"/a", "/b"};
  record.passedOver = "The plugin /a/x.so crashed";
  record.functions = {{"Trim", "internal", "cii", std::nullopt}};
  const std::string bytes = encodeFunctionRecord(record);
  const auto back = decodeFunctionRecord(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->key, record.key);
  EXPECT_EQ(back->pluginFolders, record.pluginFolders);
  EXPECT_EQ(back->passedOver, record.passedOver);
  ASSERT_EQ(back->functions.size(), 1u);
  EXPECT_TRUE(back->functions[0].params);
  for (std::size_t cut : {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size() - 1}) {
    EXPECT_FALSE(decodeFunctionRecord(bytes.substr(0, cut))) << cut;
  }
  EXPECT_FALSE(decodeFunctionRecord(encodeFunctions(record.functions)));
}

}  // namespace
}  // namespace clipquill
