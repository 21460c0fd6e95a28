#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "fake_host.h"
#include "module.h"
#include "se_export.h"

// The exports of the plug-in, compiled into this test.
SE_EXPORT int32_t getModuleProperties(int32_t index, SEModuleInfo* info);
SE_EXPORT void* makeModule(int32_t index, int32_t type, SEHostCallback callback,
                           void* host_context);

namespace {

SEModuleRecord* MakeDsp() {
  return static_cast<SEModuleRecord*>(makeModule(0, 1, &FakeHost::Callback, nullptr));
}

int32_t Dispatch(SEModuleRecord* r, int32_t opcode, int32_t index = 0, void* ptr = nullptr) {
  return r->dispatcher(r, opcode, index, 0, ptr, 0.0f);
}

TEST(ActiveSwitchIdentity, InfoAndMakeModule) {
  SEModuleInfo info;
  std::memset(&info, 0xAB, sizeof info);
  SEModuleInfo untouched = info;
  EXPECT_EQ(getModuleProperties(1, &info), 0);
  EXPECT_EQ(std::memcmp(&info, &untouched, sizeof info), 0);

  ASSERT_EQ(getModuleProperties(0, &info), 1);
  EXPECT_STREQ(info.name, "QV_GUI_Active_Switch");
  EXPECT_STREQ(info.id, "GUI_Active_Switch_QV2009");
  EXPECT_EQ(info.module_flags, 0x8C0);
  EXPECT_EQ(info.gui_flags, untouched.gui_flags);  // not written
  EXPECT_EQ(info.unused, untouched.unused);
  const std::string about = info.about;
  EXPECT_EQ(about.rfind("GUI Active Switch\nVer:2.90", 0), 0u);
  EXPECT_NE(about.find("\n\nAllows custom images to set ACTIVE status"), std::string::npos);

  FakeHost host;
  EXPECT_EQ(makeModule(1, 1, &FakeHost::Callback, nullptr), nullptr);
  EXPECT_EQ(makeModule(0, 3, &FakeHost::Callback, nullptr), nullptr);
  EXPECT_EQ(makeModule(0, 0, &FakeHost::Callback, nullptr), nullptr);
  auto* gui =
      static_cast<SEGuiRecord*>(makeModule(0, 2, &FakeHost::Callback, reinterpret_cast<void*>(9)));
  ASSERT_NE(gui, nullptr);
  EXPECT_EQ(gui->magic, 0x5345504D);
  EXPECT_EQ(static_cast<SEGUI_base*>(gui->object)->Record(), gui);
  EXPECT_EQ(gui->host_context, reinterpret_cast<void*>(9));
  host.Clear();
  EXPECT_EQ(gui->dispatcher(gui, GUI_CLOSE, 0, 0, nullptr, 0.0f), 1);
  // The GUI object says goodbye on destruction, with every argument 0.
  ASSERT_EQ(host.calls.size(), 1u);
  const HostCall& c = host.calls[0];
  EXPECT_EQ(c.opcode, GUIHOST_CLOSING);
  EXPECT_EQ(c.record, gui);
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(c.value, 0);
  EXPECT_EQ(c.ptr, nullptr);
  EXPECT_EQ(c.opt, 0.0f);
}

TEST(ActiveSwitchPins, VersionWindowAtBothEdges) {
  const struct {
    int32_t version;
    bool answers;
    bool filled;
  } cases[] = {{100240, false, false},
               {100241, true, true},
               {200082, true, true},
               {200083, false, true},
               {0, false, false}};
  for (const auto& c : cases) {
    FakeHost host;
    host.version = c.version;
    SEModuleRecord* r = MakeDsp();
    for (int32_t index = 0; index < 2; ++index) {
      SEPinProperties p{};
      EXPECT_EQ(Dispatch(r, MOD_GET_PIN_PROPERTIES, index, &p), c.answers ? 1 : 0) << c.version;
      EXPECT_EQ(p.name != nullptr, c.filled) << c.version;
    }
    SEPinProperties p{};
    EXPECT_EQ(Dispatch(r, MOD_GET_PIN_PROPERTIES, 2, &p), 0);
    EXPECT_EQ(p.name, nullptr);
    Dispatch(r, MOD_CLOSE);
  }
}

TEST(ActiveSwitchPins, TableAsDeclared) {
  FakeHost host;
  SEModuleRecord* r = MakeDsp();
  SEPinProperties out{}, in{};
  Dispatch(r, MOD_GET_PIN_PROPERTIES, 0, &out);
  Dispatch(r, MOD_GET_PIN_PROPERTIES, 1, &in);
  EXPECT_STREQ(out.name, "Active");
  EXPECT_EQ(out.direction, DR_OUT);
  EXPECT_EQ(out.datatype, DT_ENUM);
  EXPECT_EQ(out.flags, 0);
  EXPECT_EQ(out.default_value, nullptr);
  EXPECT_EQ(out.value_list, nullptr);
  EXPECT_STREQ(in.name, "1 Switch (Animation)");
  EXPECT_EQ(in.direction, DR_IN);
  EXPECT_EQ(in.datatype, DT_FLOAT);
  EXPECT_EQ(in.flags, 0x8400);
  EXPECT_NE(in.variable_address, nullptr);
  EXPECT_NE(out.variable_address, nullptr);
  Dispatch(r, MOD_CLOSE);
}

// An opened switch whose input a test sets the way the host does: write the
// declared variable, then deliver a status event at a clock.
class ActiveSwitchRun : public ::testing::Test {
 protected:
  FakeHost host;
  SEModuleRecord* r = nullptr;
  float* input = nullptr;
  int16_t* active = nullptr;

  void SetUp() override {
    host.pin_count = 2;
    r = MakeDsp();
    SEPinProperties out{}, in{};
    Dispatch(r, MOD_GET_PIN_PROPERTIES, 0, &out);
    Dispatch(r, MOD_GET_PIN_PROPERTIES, 1, &in);
    active = static_cast<int16_t*>(out.variable_address);
    input = static_cast<float*>(in.variable_address);
    Dispatch(r, MOD_OPEN);
    host.Clear();
  }
  void TearDown() override { Dispatch(r, MOD_CLOSE); }

  void Input(float value, int32_t clock, int32_t pin = 1) {
    *input = value;
    DeliverStatus(host, r, clock, pin, PS_ONE_CHANGE);
  }
  // (value, clock) of each transmission so far.
  std::vector<std::pair<int16_t, int32_t>> sent;
  void Collect() {
    for (const HostCall& c : host.CallsOf(HOST_PIN_STATUS)) {
      EXPECT_EQ(c.index, 0);
      EXPECT_EQ(c.value, PS_ONE_CHANGE);
      sent.push_back({*active, c.PtrValue()});
    }
    host.Clear();
  }
};

TEST_F(ActiveSwitchRun, OpenStartsBelowBothStatesAndSelectsTheSleeper) {
  EXPECT_EQ(*active, -1);
  EXPECT_EQ(*input, -1.0f);
  EXPECT_NE(r->process, &SEModule_base::ProcessNothing);
}

TEST_F(ActiveSwitchRun, TransmitsOnlyWhenTheThresholdIsCrossed) {
  const struct {
    float value;
    int32_t clock;
  } inputs[] = {{0.2f, 10}, {0.3f, 20}, {0.7f, 30}, {0.9f, 40}, {0.4f, 50}};
  for (const auto& in : inputs) {
    Input(in.value, in.clock);
    Collect();
  }
  const std::vector<std::pair<int16_t, int32_t>> expected = {{0, 10}, {1, 30}, {0, 50}};
  EXPECT_EQ(sent, expected);
}

TEST_F(ActiveSwitchRun, ThresholdEdgesAndNaN) {
  const struct {
    float value;
    int16_t active;
  } steps[] = {{0.5f, 1},          {0.49999f, 0}, {0.5f, 1},
               {std::nanf(""), 0}, {INFINITY, 1}, {-INFINITY, 0}};
  for (const auto& s : steps) {
    Input(s.value, 0);
    EXPECT_EQ(*active, s.active) << s.value;
    EXPECT_EQ(host.CountOf(HOST_PIN_STATUS), 1) << s.value;
    host.Clear();
  }
}

TEST_F(ActiveSwitchRun, EventsOnTheOutputPinChangeNothing) {
  Input(0.9f, 0, 0);
  EXPECT_EQ(*active, -1);
  EXPECT_TRUE(host.CallsOf(HOST_PIN_STATUS).empty());
}

TEST_F(ActiveSwitchRun, EveryProcessCallAsksForSleep) {
  for (int i = 0; i < 3; ++i) r->process(r->object, 0, 64);
  EXPECT_EQ(host.CountOf(HOST_SLEEP), 3);
  EXPECT_EQ(host.calls.size(), 3u);
  EXPECT_EQ(*active, -1);
}

}  // namespace
