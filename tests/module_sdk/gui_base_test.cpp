#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "assert_recorder.h"
#include "fake_host.h"
#include "se_gui_base.h"

namespace {

struct Seen {
  std::string what;
  int32_t a = 0, b = 0, c = 0;
  void* ptr = nullptr;
  bool operator==(const Seen& o) const {
    return what == o.what && a == o.a && b == o.b && c == o.c && ptr == o.ptr;
  }
};

void PrintTo(const Seen& s, std::ostream* os) {
  *os << s.what << "(" << s.a << "," << s.b << "," << s.c << "," << s.ptr << ")";
}

class RecordingGui : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
  std::vector<Seen> seen;
  bool answer10 = true;

  void Initialise(bool flag) override { seen.push_back({"Initialise", flag}); }
  void Paint(int32_t dc, SEPanel* panel) override { seen.push_back({"Paint", dc, 0, 0, panel}); }
  void OnLButtonDown(SEPanel* p, int32_t f, int32_t x, int32_t y) override {
    seen.push_back({"Down", f, x, y, p});
  }
  void OnLButtonUp(SEPanel* p, int32_t f, int32_t x, int32_t y) override {
    seen.push_back({"Up", f, x, y, p});
  }
  void OnMouseMove(SEPanel* p, int32_t f, int32_t x, int32_t y) override {
    seen.push_back({"Move", f, x, y, p});
  }
  void OnModuleMessage(int32_t value, int32_t index, void* ptr) override {
    seen.push_back({"Message", value, index, 0, ptr});
  }
  void OnGuiPinValueChange(SEGuiPin pin) override {
    seen.push_back({"Pin", pin.index, pin.owner == this ? 1 : 0});
  }
  void OnGuiOpcode8(void* p) override { seen.push_back({"8", 0, 0, 0, p}); }
  void OnGuiOpcode9(void* p) override { seen.push_back({"9", 0, 0, 0, p}); }
  bool QueryGuiOpcode10() override { return answer10; }
  void OnGuiOpcode11(int32_t v) override { seen.push_back({"11", v}); }
  void OnGuiOpcode12(int32_t v) override { seen.push_back({"12", v}); }
};

float Bits(int32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

class GuiBaseTest : public ::testing::Test {
 protected:
  FakeHost host;
  AssertRecorder asserts;
  RecordingGui* gui = new RecordingGui(&FakeHost::Callback, reinterpret_cast<void*>(0x77));
  SEGuiRecord* record = gui->Record();
  SEPanel panel{200, 100, 5};

  int32_t Dispatch(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
    return record->dispatcher(record, opcode, index, value, ptr, opt);
  }
  void TearDown() override { EXPECT_EQ(Dispatch(GUI_CLOSE), 1); }
};

TEST_F(GuiBaseTest, RecordIsFilledAsTheHostExpects) {
  EXPECT_EQ(record->magic, 0x5345504D);
  EXPECT_EQ(record->version, 1);
  EXPECT_EQ(record->host_context, reinterpret_cast<void*>(0x77));
  EXPECT_EQ(record->object, static_cast<SEGUI_base*>(gui));
  for (int32_t word : record->reserved) EXPECT_EQ(word, 0);
}

TEST_F(GuiBaseTest, DispatcherMapsItsArguments) {
  const struct {
    int32_t opcode, index, value;
    void* ptr;
    float opt;
    Seen expected;
  } cases[] = {
      {GUI_INITIALISE, 1, 0, nullptr, 0, {"Initialise", 1}},
      {GUI_INITIALISE, 0, 0, nullptr, 0, {"Initialise", 0}},
      {GUI_INITIALISE, 2, 0, nullptr, 0, {"Initialise", 0}},
      {GUI_PAINT, 0x1F00, 0, &panel, 0, {"Paint", 0x1F00, 0, 0, &panel}},
      {GUI_BUTTON_DOWN, 120, 45, &panel, Bits(0x8), {"Down", 0x8, 120, 45, &panel}},
      {GUI_BUTTON_UP, -3, 7, &panel, Bits(0x4), {"Up", 0x4, -3, 7, &panel}},
      {GUI_MOUSE_MOVE, 1, 2, &panel, Bits(0xC), {"Move", 0xC, 1, 2, &panel}},
      {GUI_MODULE_MESSAGE, 3, 99, &panel, 0, {"Message", 99, 3, 0, &panel}},
      {GUI_PIN_CHANGED, 20, 0, nullptr, 0, {"Pin", 20, 1}},
      {8, 0, 0, &panel, 0, {"8", 0, 0, 0, &panel}},
      {9, 0, 0, &panel, 0, {"9", 0, 0, 0, &panel}},
      {11, 6, 0, nullptr, 0, {"11", 6}},
      {12, 9, 0, nullptr, 0, {"12", 9}},
  };
  for (const auto& c : cases) {
    gui->seen.clear();
    EXPECT_EQ(Dispatch(c.opcode, c.index, c.value, c.ptr, c.opt), 0) << c.opcode;
    ASSERT_EQ(gui->seen.size(), 1u) << c.opcode;
    EXPECT_EQ(gui->seen[0], c.expected);
  }
  gui->seen.clear();
  EXPECT_EQ(Dispatch(10), 1);
  gui->answer10 = false;
  EXPECT_EQ(Dispatch(10), 0);
  EXPECT_EQ(Dispatch(13), 0);
  EXPECT_EQ(Dispatch(-5), 0);
  EXPECT_TRUE(gui->seen.empty());
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(GuiBaseTest, PinAccessorsAreOneHostCallEach) {
  host.handler = [](const HostCall& c, int32_t& result) {
    if (c.opcode == GUIHOST_GET_PIN) {
      *static_cast<int32_t*>(c.ptr) = c.index == 1 ? 0x3F800000 : -17;
      return true;
    }
    if (c.opcode == GUIHOST_GET_TEXT) {
      static const char text[] = "abc";
      result = static_cast<int32_t>(reinterpret_cast<intptr_t>(text));
      return true;
    }
    return false;
  };
  const SEGuiPin pin = gui->Pin(1);
  EXPECT_EQ(pin.owner, gui);
  EXPECT_FLOAT_EQ(pin.GetFloat(), 1.0f);
  EXPECT_EQ(gui->Pin(4).GetInt(), -17);
  EXPECT_EQ(pin.GetText(), "abc");
  host.Clear();
  pin.SetFloat(0.5f);
  gui->Pin(3).SetInt(12);
  gui->Pin(2).SetText("xyz");
  ASSERT_EQ(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[0].opcode, GUIHOST_SET_PIN);
  EXPECT_EQ(host.calls[0].index, 1);
  EXPECT_EQ(host.calls[0].value, 0);
  EXPECT_EQ(host.calls[0].opt, 0.5f);
  EXPECT_EQ(host.calls[1].opcode, GUIHOST_SET_PIN);
  EXPECT_EQ(host.calls[1].value, 12);
  EXPECT_EQ(host.calls[1].opt, 0.0f);
  EXPECT_EQ(host.calls[2].opcode, GUIHOST_SET_TEXT);
  EXPECT_EQ(host.calls[2].index, 2);
  EXPECT_STREQ(static_cast<const char*>(host.calls[2].ptr), "xyz");
  for (const HostCall& c : host.calls) EXPECT_EQ(c.record, record);
}

TEST_F(GuiBaseTest, GetTextOfAMissingTextIsEmpty) { EXPECT_EQ(gui->Pin(0).GetText(), ""); }

TEST_F(GuiBaseTest, CaptureHelpersPassThePanel) {
  host.answers[GUIHOST_IS_CAPTURED] = 1;
  gui->Capture(&panel);
  EXPECT_TRUE(gui->IsCaptured(&panel));
  gui->Release(&panel);
  const int32_t opcodes[] = {GUIHOST_CAPTURE, GUIHOST_IS_CAPTURED, GUIHOST_RELEASE};
  ASSERT_EQ(host.calls.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(host.calls[i].opcode, opcodes[i]);
    EXPECT_EQ(host.calls[i].ptr, &panel);
  }
}

TEST(GuiBaseNullHost, CallsAreReportedAndNeverMade) {
  AssertRecorder asserts;
  RecordingGui gui(nullptr, nullptr);
  EXPECT_EQ(gui.CallHost(GUIHOST_REPAINT), 0);
  EXPECT_EQ(gui.Pin(0).GetInt(), 0);
  ASSERT_EQ(AssertRecorder::Reports().size(), 2u);
  EXPECT_EQ(AssertRecorder::Reports()[0].expression, "seaudioMaster");
  EXPECT_EQ(AssertRecorder::Reports()[0].source, "SEGUI_base");
}

}  // namespace
