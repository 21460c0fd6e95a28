// Identity, the pin table and its version window, Open.
#include <gtest/gtest.h>

#include <string>

#include "env_rig.h"
#include "fake_host.h"
#include "gui_module.h"
#include "module.h"

namespace {

TEST(EnvelopeIdentity, NameIdFlagsAndAbout) {
  SEModuleInfo info{};
  info.unused = 77;
  FillModuleInfo(&info);
  EXPECT_STREQ(info.name, "QV_GUI_EnvelopeV2_8_x8");
  EXPECT_STREQ(info.id, "GUI_Edit_EnvelopeV2_8_x8_QV2008");
  EXPECT_EQ(info.gui_flags, 0x180);
  EXPECT_EQ(info.module_flags, 0x8C0);
  EXPECT_EQ(info.unused, 77);
  const std::string about = info.about;
  EXPECT_EQ(about.rfind("GUI Editing Multi-Stage Envelopes with User Presets\nVer:4.01", 0), 0u);
  EXPECT_NE(about.find("\n\nEach stage has Independent Level/Time and Shape (Contour)\n"),
            std::string::npos);
  EXPECT_NE(about.find("\n   Output stays 'Running' and module uses less CPU"), std::string::npos);
}

struct PinCase {
  int index;
  const char* name;
  int direction, datatype;
  const char* def;
  const char* list;
  int flags;
};

std::string Str(const char* s) { return s ? s : "(null)"; }

class PinTable : public ::testing::Test {
 protected:
  FakeHost host;
  Module module{&FakeHost::Callback, nullptr};

  bool Query(int index, SEPinProperties& p) {
    p = SEPinProperties{};
    SEModuleRecord* r = module.Record();
    return r->dispatcher(r, MOD_GET_PIN_PROPERTIES, index, 0, &p, 0.0f) != 0;
  }
};

TEST_F(PinTable, DspPinsAsDeclared) {
  const PinCase cases[] = {
      {0, "ES", DR_IN, DT_TEXT, nullptr, nullptr, 0x8500},
      {7, "ES", DR_IN, DT_TEXT, nullptr, nullptr, 0x8500},
      {8, "Gate/Trigger", DR_IN, DT_FSAMPLE, "0.0", nullptr, 0},
      {9, "Envelope # / Sample #", DR_IN, DT_ENUM, "0", "1,2,3,4,5,6,7,8", 0},
      {10, "Env# Changes GUI_Env# ?", DR_IN, DT_ENUM, "1", "OFF,ON", 0},
      {11, "Time Scaler (Ratio/Latched)", DR_IN, DT_FSAMPLE, "1.00", "2,0,2,0", 0},
      {12, "Level Scaler (*Latched)", DR_IN, DT_FSAMPLE, "10.00", nullptr, 0},
      {13, "Env.Out", DR_OUT, DT_FSAMPLE, nullptr, nullptr, 0},
      {14, "Time Mode", DR_IN, DT_ENUM, "0", "Time(s),Time(ms)", 0},
      {15, "ReTrigger Mode", DR_IN, DT_ENUM, "0", "ReStart,PickUp", 0x4000},
      {16, "Repeat Mode", DR_IN, DT_ENUM, "0", "ReStart,PickUp", 0},
      {17, "Gate Mode", DR_IN, DT_ENUM, "0", "Release,Hold", 0},
      {18, "Fast Gate/Osc Mode", DR_IN, DT_ENUM, "0", "OFF,ON", 0},
      {19, "Active", DR_IN, DT_ENUM, "0", "OFF,ON", 0},
      {20, "Env # / Sample# (edit/display)", DR_IN, DT_ENUM, nullptr, "1,2,3,4,5,6,7,8", 0x400},
      {33, "Display Mode", DR_IN, DT_ENUM, nullptr,
       "Solid,Line 1,Line 2, Line 3,Solid/FixY,Line 1/FixY,Line 2/FixY, Line 3/FixY", 0x400},
      {36, "Minimum Level", DR_IN, DT_FLOAT, nullptr, nullptr, 0x400},
      {38, "Sustain Stage", DR_IN, DT_ENUM, nullptr, "OFF=-1,1=1,2,3,4,5,6,7", 0x400},
      {39, "Repeat From Stage", DR_IN, DT_ENUM, nullptr, "OFF=-1,Start,1,2,3,4,5,6", 0x400},
      {40, "Stage Shape", DR_IN, DT_ENUM, nullptr,
       "Linear,Exp,Inv.Exp,Exp2,Inv.Exp2,Root,Inv.Root,Exp.Root,Inv.Exp.Root,S_Crv,Inv.S_Crv,"
       "S_Crv2,Inv.S_Crv2,Step",
       0x400},
      {43, "Active Stages", DR_IN, DT_ENUM, nullptr, "1=1,2,3,4,5,6,7,8", 0x400},
      {48, "QV_Envelope Info>", DR_OUT, DT_INT, nullptr, nullptr, 0x400},
      {55, "Copy Shape From Env#", DR_IN, DT_ENUM, nullptr, "OFF,1,2,3,4,5,6,7,8", 0x400},
      {56, "Box Size", DR_IN, DT_ENUM, nullptr, "A,B,C,D,E,F,G,H,I,J,K,L", 0x400},
      {58, "Min AMP:Full mode Time#1", DR_IN, DT_FLOAT, nullptr, nullptr, 0x400},
      {65, "Text Alpha (blend)", DR_IN, DT_INT, nullptr, nullptr, 0x400},
      {69, "Shading Alpha (blend)", DR_IN, DT_INT, nullptr, nullptr, 0x400},
      {71, "Shading Y%", DR_IN, DT_INT, nullptr, nullptr, 0x400},
  };
  for (const PinCase& c : cases) {
    SEPinProperties p;
    ASSERT_TRUE(Query(c.index, p)) << c.index;
    EXPECT_EQ(Str(p.name), Str(c.name)) << c.index;
    EXPECT_EQ(p.direction, c.direction) << c.index;
    EXPECT_EQ(p.datatype, c.datatype) << c.index;
    EXPECT_EQ(Str(p.default_value), Str(c.def)) << c.index;
    EXPECT_EQ(Str(p.value_list), Str(c.list)) << c.index;
    EXPECT_EQ(p.flags, c.flags) << c.index;
    // Only DSP pins have variables.
    EXPECT_EQ(p.variable_address != nullptr, c.index < PN_DSP_PIN_COUNT) << c.index;
  }
}

TEST_F(PinTable, EveryGuiPinIsEditorOnlyAndNamed) {
  for (int i = PN_DSP_PIN_COUNT; i < PN_PIN_COUNT; ++i) {
    SEPinProperties p;
    ASSERT_TRUE(Query(i, p)) << i;
    EXPECT_EQ(p.flags, IO_UI_COMMUNICATION) << i;
    EXPECT_EQ(p.direction, i == 48 ? DR_OUT : DR_IN) << i;
    ASSERT_NE(p.name, nullptr);
    EXPECT_GT(std::string(p.name).size(), 0u);
  }
  SEPinProperties p;
  EXPECT_FALSE(Query(PN_PIN_COUNT, p));
  EXPECT_FALSE(Query(-1, p));
}

TEST_F(PinTable, VersionWindowKeepsTheTextsAbove) {
  struct Case {
    int32_t version;
    bool text_pin, other_pin;
  } cases[] = {
      {0, false, false},    {100183, false, false}, {100184, true, true},     {200000, true, true},
      {200077, true, true}, {200078, true, false},  {INT32_MAX, true, false},
  };
  for (const Case& c : cases) {
    host.version = c.version;
    SEPinProperties p;
    EXPECT_EQ(Query(7, p), c.text_pin) << c.version;
    EXPECT_EQ(Query(8, p), c.other_pin) << c.version;
    EXPECT_EQ(Query(71, p), c.other_pin) << c.version;
    // Above the window the record is still filled.
    if (c.version > 200077) {
      EXPECT_STREQ(p.name, "Shading Y%");
    }
    if (c.version < 100184) {
      EXPECT_EQ(p.name, nullptr);
    }
  }
}

TEST(EnvelopeOpen, AboveTheWindowOnlyTheTextsExistAndNothingPlays) {
  RigOptions o;
  o.version = 200078;
  FakeHost host;
  host.version = o.version;
  host.pin_count = ENV_COUNT;
  Module* m = new Module(&FakeHost::Callback, nullptr);
  SEModuleRecord* r = m->Record();
  r->dispatcher(r, MOD_OPEN, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(m->PinCount(), ENV_COUNT);
  DeliverStatus(host, r, 0, 0, PS_ONE_CHANGE);
  // No process function was selected: the host keeps the framework's idle one.
  EXPECT_EQ(host.CountOf(HOST_PROCESS_CHANGED), 0);
  EXPECT_EQ(r->process, &SEModule_base::ProcessNothing);
  r->dispatcher(r, MOD_CLOSE, 0, 0, nullptr, 0.0f);
}

TEST(EnvelopeOpen, StartupDataAndSelectionLoadsOnFirstStatus) {
  EnvRig rig;
  rig.Open();
  const EnvelopeData& d = rig.Voice().Envelope();
  EXPECT_EQ(d.start_level, 0.5f);
  EXPECT_EQ(d.level[3], 0.125f);
  EXPECT_EQ(d.time[7], 1.0f);
  EXPECT_EQ(d.sustain_node, 7);
  EXPECT_EQ(d.repeat_node, -1);
  EXPECT_EQ(rig.Voice().Stage(), STAGE_NOT_STARTED);
  EXPECT_EQ(rig.Voice().LoadedEnvelope(), -1);
  rig.Start(DefaultEditorEnvelope());
  rig.Run(1);
  EXPECT_EQ(rig.Voice().LoadedEnvelope(), 0);
  EXPECT_EQ(rig.Voice().Envelope().start_level, 0.0f);
  // "Env# Changes GUI_Env# ?" is ON: the editor is told.
  const auto sent = rig.Calls(HOST_SEND_TO_GUI);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].call.value, 0);
}

TEST(EnvelopeSelect, ClampsWritesBackAndComparesBeforeClamping) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  EnvelopeData eight = DefaultEditorEnvelope();
  eight.start_level = 0.75f;
  rig.Envelope(0, 7, eight);
  rig.Enum(10, PN_ENV_SELECT, 8);
  rig.Run(11);
  EXPECT_EQ(rig.Voice().LoadedEnvelope(), 7);
  EXPECT_EQ(rig.Voice().Envelope().start_level, 0.75f);
  SEPinProperties p{};
  rig.Voice().GetPinProperties(PN_ENV_SELECT, &p);
  EXPECT_EQ(*static_cast<int16_t*>(p.variable_address), 7);
  EXPECT_EQ(rig.Calls(HOST_SEND_TO_GUI).back().call.value, 7);
  const size_t sends = rig.Calls(HOST_SEND_TO_GUI).size();
  rig.Enum(20, PN_ENV_SELECT, 7);  // equal to the loaded one: nothing
  rig.Run(21);
  EXPECT_EQ(rig.Calls(HOST_SEND_TO_GUI).size(), sends);
  rig.Enum(30, PN_ENV_SELECT, 8);  // 8 differs from 7 before clamping: reloads
  rig.Run(31);
  EXPECT_EQ(rig.Calls(HOST_SEND_TO_GUI).size(), sends + 1);
}

TEST(EnvelopeSelect, OtherEnvelopesTextsWaitUntilSelected) {
  EnvRig rig;
  rig.Open();
  rig.Start(DefaultEditorEnvelope());
  EnvelopeData other = DefaultEditorEnvelope();
  other.level[0] = 0.5f;
  rig.Envelope(5, 2, other);
  rig.Run(6);
  EXPECT_EQ(rig.Voice().Envelope().level[0], 1.0f);
  rig.Enum(10, PN_FOLLOW_GUI, 0);
  rig.Enum(10, PN_ENV_SELECT, 2);
  rig.Run(11);
  EXPECT_EQ(rig.Voice().Envelope().level[0], 0.5f);
  // Following the editor is OFF now.
  EXPECT_EQ(rig.Calls(HOST_SEND_TO_GUI).size(), 1u);
}

}  // namespace
