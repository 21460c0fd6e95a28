// Identity, pin table and the host version window.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_host.h"
#include "module.h"

namespace {

TEST(SvfIdentity, NamesFlagsAndAboutText) {
  SEModuleInfo info{};
  info.gui_flags = 0x1234;  // not ours to write
  FillModuleInfo(&info);
  EXPECT_STREQ(info.name, "QV_SVar_Filter_Cascade");
  EXPECT_STREQ(info.id, "State_Variable_Cascading_Filter_Choice_QV2005");
  EXPECT_EQ(info.module_flags, 0x8C0);
  EXPECT_EQ(info.gui_flags, 0x1234);
  const std::string about = info.about;
  EXPECT_EQ(about.rfind("State Variable Cascading Filter with Filter Choice output\nVer:2.90", 0),
            0u);
  for (const char* line : {
           "State Variable filter operating within the Stable band 1/3 Nyquist (1/6 Sample Rate "
           "approx)",
           "Extended Cutoff response can be achieved by manipulating Cutoff and Res above the "
           "stable band",
           "Cutoff: Direct Coefficient value Stable band 0->10v = 0->1/3 Nyquist (1/6 Sample Rate "
           "approx)",
           "Resonance: Stable band 0->10v",
           "Cascade: Filter can be cascaded up to 8 times (i.e in series)",
           "   Auto:- Balances the Resonance response according to the Cascade setting",
           "Active On/Off switch (for Auto control etc)",
           "Gate(Poly Reset): Link if used in a Polyphonic chain",
       })
    EXPECT_NE(about.find(std::string("\n") + line + "\n"), std::string::npos) << line;
}

struct PinRow {
  const char* name;
  int32_t direction;
  int32_t datatype;
  const char* default_value;
  const char* list;
};

const PinRow PINS[10] = {
    {"Audio_in", DR_IN, DT_FSAMPLE, "0", nullptr},
    {"Cutoff (0-10v coeff)", DR_IN, DT_FSAMPLE, "5.00", nullptr},
    {"Res 0-10v", DR_IN, DT_FSAMPLE, "0.00", nullptr},
    {"Out", DR_OUT, DT_FSAMPLE, nullptr, nullptr},
    {"Filter Choice", DR_IN, DT_ENUM, "0", "Lpf,Hpf,Bpf,Notch,Peak A,Peak B,Bypass,Off"},
    {"Cascade", DR_IN, DT_ENUM, "0", "1,2,3,4,5,6,7,8"},
    {"Active", DR_IN, DT_ENUM, "0", "OFF,ON"},
    {"Res Balancing", DR_IN, DT_ENUM, "1", "Manual,Auto"},
    {"Midi_to_CV:Mono Mode(Poly Reset)", DR_IN, DT_ENUM, "0", "On=1,Off=0"},
    {"Midi_to_CV:Gate(Poly Reset)", DR_IN, DT_FSAMPLE, "0", nullptr},
};

void ExpectText(const char* actual, const char* expected, int32_t pin) {
  if (expected == nullptr)
    EXPECT_EQ(actual, nullptr) << pin;
  else
    EXPECT_STREQ(actual, expected) << pin;
}

TEST(SvfPins, TableInsideTheWindow) {
  FakeHost host;
  Module module(&FakeHost::Callback, nullptr);
  for (int32_t i = 0; i < 10; ++i) {
    SEPinProperties p{};
    ASSERT_TRUE(module.GetPinProperties(i, &p)) << i;
    EXPECT_STREQ(p.name, PINS[i].name);
    EXPECT_EQ(p.direction, PINS[i].direction) << i;
    EXPECT_EQ(p.datatype, PINS[i].datatype) << i;
    ExpectText(p.default_value, PINS[i].default_value, i);
    ExpectText(p.value_list, PINS[i].list, i);
    EXPECT_EQ(p.flags, 0) << i;
    EXPECT_NE(p.variable_address, nullptr) << i;
    EXPECT_EQ(p.spare, 0) << i;
  }
  SEPinProperties p{};
  EXPECT_FALSE(module.GetPinProperties(10, &p));
  EXPECT_EQ(p.name, nullptr);
}

// Each pin's variable is a distinct member, sized for its data type.
TEST(SvfPins, VariablesAreDistinct) {
  FakeHost host;
  Module module(&FakeHost::Callback, nullptr);
  std::vector<char*> addresses;
  for (int32_t i = 0; i < 10; ++i) {
    SEPinProperties p{};
    module.GetPinProperties(i, &p);
    addresses.push_back(static_cast<char*>(p.variable_address));
  }
  for (size_t a = 0; a < addresses.size(); ++a)
    for (size_t b = a + 1; b < addresses.size(); ++b) EXPECT_NE(addresses[a], addresses[b]);
}

struct WindowCase {
  int32_t version;
  bool filled;
  bool answer;
};

class SvfWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(SvfWindow, EveryPinFollowsTheWindow) {
  const WindowCase c = GetParam();
  FakeHost host;
  host.version = c.version;
  Module module(&FakeHost::Callback, nullptr);
  for (int32_t i = 0; i < 10; ++i) {
    SEPinProperties p{};
    EXPECT_EQ(module.GetPinProperties(i, &p), c.answer) << i;
    EXPECT_EQ(p.name != nullptr, c.filled) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SvfWindow,
    ::testing::Values(WindowCase{0, false, false}, WindowCase{100288, false, false},
                      WindowCase{100289, true, true}, WindowCase{200000, true, true},
                      WindowCase{200057, true, true}, WindowCase{200058, true, false},
                      WindowCase{INT32_MAX, true, false}));

// Above the window the resonance pin is described without a variable.
TEST(SvfPins, ResonanceHasNoVariableAboveTheWindow) {
  FakeHost host;
  host.version = 200058;
  Module module(&FakeHost::Callback, nullptr);
  SEPinProperties p{};
  module.GetPinProperties(Module::PIN_RESONANCE, &p);
  EXPECT_STREQ(p.name, "Res 0-10v");
  EXPECT_EQ(p.variable_address, nullptr);
}

// A host outside the window gets no pins; the object must stay harmless
// even if that host calls its process entry anyway.
TEST(SvfPins, OutsideTheWindowOpenSelectsNothingToProcess) {
  for (int32_t version : {100288, 200058}) {
    FakeHost host;
    host.version = version;
    host.pin_count = 10;
    Module* module = new Module(&FakeHost::Callback, nullptr);
    SEModuleRecord* record = module->Record();
    record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(record->process, &SEModule_base::ProcessNothing) << version;
    EXPECT_EQ(host.CountOf(HOST_PROCESS_CHANGED), 0);
    record->process(record->object, 0, 64);
    record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f);
  }
}

}  // namespace
