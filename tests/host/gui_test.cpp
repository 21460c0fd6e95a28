// GUI routing: pin storage per instance, the echo of a GUI pin write,
// shared pins and messages between the GUI object and every DSP clone.
#include <gtest/gtest.h>

#include "host.h"
#include "probe.h"
#include "se_gui_base.h"

using modhost::Host;
using modhost::ObservationKind;

namespace {

class GuiRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    host.SetBlockSize(32);
    host.AddModule(FX_GUI_PAIR, "g");
  }
  void MakeVoices(int32_t voices) {
    modhost::VoiceGroup group;
    group.name = "voices";
    group.voices = voices;
    group.modules = {"g"};
    host.AddVoiceGroup(group);
  }
  // Calls the GUI host callback the way the GUI object does.
  int32_t GuiCall(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr) {
    return GuiFromRecord(host.Gui("g").Record())->CallHost(opcode, index, value, ptr);
  }
  Host host;
};

TEST_F(GuiRouting, AGuiPinWriteIsEchoedBeforeItReturns) {
  host.Run(1);
  auto& gui = host.Gui("g");
  gui.Log().Clear();
  gui.ButtonDown(120, 45);

  std::vector<std::pair<int32_t, int32_t>> sequence;  // (opcode, index) of calls and dispatches
  for (const auto& entry : gui.Log().Entries()) sequence.emplace_back(entry.opcode, entry.index);
  const std::vector<std::pair<int32_t, int32_t>> head = {
      {GUI_BUTTON_DOWN, 120}, {GUIHOST_CAPTURE, 0}, {PROBE_GUI_BEFORE, 3}, {GUIHOST_SET_PIN, 3},
      {GUI_PIN_CHANGED, 3},   {PROBE_GUI_PIN, 3},   {PROBE_GUI_AFTER, 3}};
  ASSERT_GE(sequence.size(), head.size());
  sequence.resize(head.size());
  EXPECT_EQ(sequence, head);
  EXPECT_EQ(host.Value("g", "Gui Count").number, 120);
  EXPECT_TRUE(gui.Captured());
  EXPECT_EQ(gui.RepaintRequests(), 1);
  gui.ButtonUp(0, 0);
  EXPECT_FALSE(gui.Captured());
}

TEST_F(GuiRouting, ASharedTextReachesEveryDspCloneBeforeTheNextBlock) {
  MakeVoices(3);
  host.Run(32);
  host.Gui("g").ButtonDown(5, 5);  // writes "from gui" and 0.75 to the shared pins
  for (int32_t v = 0; v < 3; ++v) EXPECT_EQ(host.Value("g", "Text Out", v).text, "start");
  host.Run(32);
  for (int32_t v = 0; v < 3; ++v) {
    EXPECT_EQ(host.Value("g", "Text Out", v).text, "from gui") << "voice " << v;
    const auto levels = host.Log("g", v).HostCalls(PROBE_STREAM_VALUE);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_FLOAT_EQ(BitsFloat(levels[1].value), 0.75f);
    EXPECT_EQ(levels[1].clock, 32) << "as a status event at the block's start";
  }
  EXPECT_EQ(host.StoredValue("g", "Shared Text").text, "from gui") << "stored with the patch";
}

TEST_F(GuiRouting, MessagesCrossBetweenGuiAndEveryDspClone) {
  MakeVoices(2);
  host.Run(32);
  host.Gui("g").ButtonDown(9, 0);  // GUIHOST_SEND_TO_DSP index 7, value 9
  EXPECT_TRUE(host.Log("g", 0).HostCalls(PROBE_NOTIFY).empty()) << "not inside the GUI call";
  host.Run(32);
  for (int32_t v = 0; v < 2; ++v) {
    const auto notes = host.Log("g", v).HostCalls(PROBE_NOTIFY);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].index, 7);
    EXPECT_EQ(notes[0].value, 9);
  }
  // Each DSP clone answered with HOST_SEND_TO_GUI; the GUI got them after the block.
  std::vector<int32_t> messages;
  for (const auto& m : host.Gui("g").Log().HostCalls(PROBE_GUI_MESSAGE))
    messages.push_back(m.value);
  EXPECT_EQ(messages, (std::vector<int32_t>{10, 10}));
}

TEST_F(GuiRouting, HostSideGuiWritesAreStoredEchoedAndForwarded) {
  host.Run(32);
  host.SetGui("g", "Shared Text", "typed");
  host.SetGui("g", "Gui Mode", "C");
  const auto pins = host.Gui("g").Log().HostCalls(PROBE_GUI_PIN);
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_EQ(pins[0].index, 0);
  EXPECT_EQ(pins[1].index, 5);
  host.DeliverGuiTraffic();
  host.Run(1);
  EXPECT_EQ(host.Value("g", "Text Out").text, "typed");
  EXPECT_EQ(host.Value("g", "Gui Mode").text, "C");
}

TEST_F(GuiRouting, AGuiOutputReachesTheGuiInputsConnectedToIt) {
  host.AddModule(FX_GUI_PAIR, "other");
  host.Connect("g", "Gui Out", "other", "Gui Count");
  EXPECT_THROW(host.Connect("g", "Gui Out", "other", "Shared Level"), modhost::HostError);
  host.Run(1);
  host.Gui("other").Log().Clear();
  host.Gui("g").ButtonDown(21, 0);  // "Gui Out" = 42
  EXPECT_EQ(host.StoredValue("other", "Gui Count").number, 42);
  const auto changes = host.Gui("other").Log().HostCalls(PROBE_GUI_PIN);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].index, 3);
}

TEST_F(GuiRouting, GuiPinReadsAnswerFromTheInstancesStorage) {
  host.Set("g", "Shared Level", 0.125);
  host.Run(1);
  EXPECT_STREQ(reinterpret_cast<const char*>(GuiCall(GUIHOST_GET_TEXT, 0)), "start");
  int32_t bits = 0;
  GuiCall(GUIHOST_GET_PIN, 1, 0, &bits);
  EXPECT_FLOAT_EQ(BitsFloat(bits), 0.125f);
  GuiCall(GUIHOST_GET_PIN, 5, 0, &bits);
  EXPECT_EQ(bits, 1) << "enumeration default \"1\"";
  GuiCall(GUIHOST_GET_PIN, 3, 0, &bits);
  EXPECT_EQ(bits, 3);
  // An index that is no GUI pin changes nothing and reads 0.
  bits = 77;
  GuiCall(GUIHOST_GET_PIN, 2, 0, &bits);
  EXPECT_EQ(bits, 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(GuiCall(GUIHOST_GET_TEXT, 99)), "");
}

TEST_F(GuiRouting, WindowContextsFormATreeEndingInAWindow) {
  host.Run(1);
  auto& gui = host.Gui("g");
  gui.Contexts()[modhost::GuiInstance::PANEL_CONTEXT].screen_offset = SEPoint{300, 120};
  const int32_t panel = gui.Panel().context;
  EXPECT_EQ(GuiCall(GUIHOST_WINDOW_HANDLE, panel), 0);
  const int32_t parent = GuiCall(GUIHOST_PARENT, panel);
  EXPECT_NE(GuiCall(GUIHOST_WINDOW_HANDLE, parent), 0);
  SEPoint point{0, 0};
  GuiCall(GUIHOST_SCREEN_OFFSET, panel, 0, &point);
  EXPECT_EQ(point.x, 300);
  EXPECT_EQ(point.y, 120);
  // Even a context the host never gave out leads to a window.
  EXPECT_NE(GuiCall(GUIHOST_WINDOW_HANDLE, GuiCall(GUIHOST_PARENT, parent)), 0);
}

TEST_F(GuiRouting, GuiObjectsAreInitialisedAfterTheDspObjectsOpen) {
  host.Run(1);
  const auto dispatches = host.Gui("g").Log().Dispatches();
  ASSERT_FALSE(dispatches.empty());
  EXPECT_EQ(dispatches[0].opcode, GUI_INITIALISE);
  EXPECT_EQ(dispatches[0].index, 0) << "not loaded from a patch";
}

}  // namespace
