// Loading libraries and reading pin tables: every failure is a clear error,
// never a crash; choice lists and defaults are read as declared.
#include <gtest/gtest.h>

#include <sstream>

#include "host.h"
#include "info_command.h"
#include "pin_table.h"

using modhost::Host;
using modhost::HostError;

namespace {

std::string ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const HostError& e) {
    return e.what();
  }
  return "";
}

struct BadLibrary {
  const char* label;
  std::string path;
  int32_t host_version;
  const char* expected;  // part of the message
};

class BadLibraries : public ::testing::TestWithParam<BadLibrary> {};

TEST_P(BadLibraries, AddModuleAndInfoReportTheFault) {
  const BadLibrary& bad = GetParam();
  const std::string added = ErrorOf([&] {
    Host host;
    host.SetHostVersion(bad.host_version);
    host.AddModule(bad.path, "m");
  });
  EXPECT_NE(added.find(bad.expected), std::string::npos) << added;
  EXPECT_EQ(added.find('\n'), std::string::npos) << "one line";

  std::ostringstream out;
  const std::string info =
      ErrorOf([&] { modhost::PrintModuleInfo(out, bad.path, bad.host_version); });
  EXPECT_NE(info.find(bad.expected), std::string::npos) << info;
  EXPECT_TRUE(out.str().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Host, BadLibraries,
    ::testing::Values(
        BadLibrary{"missing", std::string(HOST_TEST_DIR) + "/no_such_module.so", 200000,
                   "library not found"},
        BadLibrary{"not_a_library", std::string(HOST_TEST_DIR) + "/CTestTestfile.cmake", 200000,
                   "cannot load library"},
        BadLibrary{"no_exports", FX_BROKEN3, 200000, "has no export getModuleProperties"},
        BadLibrary{"no_dsp_object", FX_BROKEN2, 200000, "makeModule gave no DSP object"},
        BadLibrary{"no_pins", FX_BROKEN1, 200000, "shows no pins"},
        BadLibrary{"below_window", ACTIVE_SWITCH_LIB, 100240,
                   "shows no pins at host version 100240"},
        BadLibrary{"above_window", ACTIVE_SWITCH_LIB, 200083, "shows no pins"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Loader, InfoPrintsIdentityAndAReadablePinTable) {
  std::ostringstream out;
  modhost::PrintModuleInfo(out, FX_RECORDER, 200000);
  const std::string text = out.str();
  EXPECT_NE(text.find("name:         Fixture Recorder"), std::string::npos);
  EXPECT_NE(text.find("id:           fixture_recorder"), std::string::npos);
  EXPECT_NE(text.find("  records host calls"), std::string::npos) << "about text, indented";
  EXPECT_NE(text.find("module flags: 0x8C0"), std::string::npos);
  EXPECT_NE(text.find("pins (7):"), std::string::npos);
  // index, DSP index, name, direction, type, default, list
  EXPECT_NE(text.find("2  2    \"Choice\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"Low,Mid=5,High\""), std::string::npos);
  EXPECT_NE(text.find("\"2.5\""), std::string::npos);
}

TEST(Loader, GuiOnlyPinsTakeADeclarationIndexButNoDspIndex) {
  Host host;
  host.AddModule(FX_GUI_PAIR, "g");
  const auto& table = host.PinTable("g");
  ASSERT_EQ(table.size(), 7u);
  EXPECT_EQ(table[0].dsp_index, 0);  // shared: both sides
  EXPECT_EQ(table[2].dsp_index, 2);
  EXPECT_EQ(table[3].dsp_index, -1);  // GUI only
  EXPECT_EQ(host.Dsp("g").Pins().size(), 3u) << "HOST_PIN_COUNT counts DSP pins";
}

TEST(Loader, RepeatedPinsExtendThePinCount) {
  Host host;
  host.AddModule(FX_REPEATER, "r");
  host.SetRepeatCount("r", 2);
  host.Record("r", "Sum");
  host.Set("r", "Input 3", 5.0);
  host.Run(8);
  const auto counts = host.Log("r").HostCalls(HOST_PIN_COUNT);
  ASSERT_FALSE(counts.empty());
  // The module's own pin table has 4 pins: Sum, Input, Input 2, Input 3.
  EXPECT_EQ(host.Dsp("r").Pins().size(), 4u);
  EXPECT_FLOAT_EQ(host.Recorded("r", "Sum")[0], 0.1f + 0.1f + 0.5f);
  EXPECT_NE(ErrorOf([] {
              Host other;
              other.AddModule(FX_RECORDER, "x");
              other.SetRepeatCount("x", 1);
            }).find("has no repeating pin"),
            std::string::npos);
}

TEST(ChoiceList, EntriesCountOnFromTheLastGivenValue) {
  struct Case {
    const char* list;
    std::vector<std::pair<std::string, int32_t>> expected;
  };
  const Case cases[] = {
      {"OFF,ON", {{"OFF", 0}, {"ON", 1}}},
      {"High=1,Low", {{"High", 1}, {"Low", 2}}},
      {"OFF=-1,A,B", {{"OFF", -1}, {"A", 0}, {"B", 1}}},
      {"48=47,49", {{"48", 47}, {"49", 48}}},
      {"Saw,Noise=255", {{"Saw", 0}, {"Noise", 255}}},
      {"a=b,c", {{"a=b", 0}, {"c", 1}}},  // not a number after "=": part of the text
      {"", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<std::string, int32_t>> got;
    for (const auto& choice : modhost::ParseChoiceList(c.list))
      got.emplace_back(choice.text, choice.value);
    EXPECT_EQ(got, c.expected) << c.list;
  }
}

}  // namespace
