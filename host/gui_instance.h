// One GUI object of a module instance: its record, its panel and window
// contexts, capture and repaint state, and the log of its host calls. Pin
// storage is the instance's, reached through the router.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "module_library.h"
#include "observation.h"

namespace modhost {

class GuiInstance;

class GuiRouter {
 public:
  virtual ~GuiRouter() = default;
  // GUI pins by declaration index; false for an index that is no GUI pin.
  virtual const char* GuiGetText(GuiInstance& gui, int32_t pin) = 0;
  virtual bool GuiSetText(GuiInstance& gui, int32_t pin, const char* text) = 0;
  virtual bool GuiGetPin(GuiInstance& gui, int32_t pin, int32_t* bits) = 0;
  virtual bool GuiSetPin(GuiInstance& gui, int32_t pin, int32_t value, float opt) = 0;
  virtual void GuiSendToDsp(GuiInstance& gui, int32_t index, int32_t value, void* ptr) = 0;
};

// A window context the GUI can ask about: its native window (0 for none),
// its parent context and its origin on the screen.
struct WindowContext {
  int32_t window = 0;
  int32_t parent = 0;
  SEPoint screen_offset{0, 0};
};

class GuiInstance {
 public:
  // The panel context and its parent, which owns the window.
  static constexpr int32_t PANEL_CONTEXT = 2;
  static constexpr int32_t WINDOW_CONTEXT = 1;

  GuiInstance(std::shared_ptr<ModuleLibrary> library, GuiRouter* router, std::string name);
  // makeModule type 2; false (and an inert instance) when the library makes none.
  bool Create();
  ~GuiInstance();
  GuiInstance(const GuiInstance&) = delete;
  GuiInstance& operator=(const GuiInstance&) = delete;

  const std::string& Name() const { return m_name; }
  bool Exists() const { return m_record != nullptr; }
  SEGuiRecord* Record() const { return m_record; }
  ObservationLog& Log() { return m_log; }
  SEPanel& Panel() { return m_panel; }
  std::map<int32_t, WindowContext>& Contexts() { return m_contexts; }

  // Host-to-GUI opcodes.
  int32_t Dispatch(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                   float opt = 0.0f);
  void Initialise(bool flag = true) { Dispatch(GUI_INITIALISE, flag ? 1 : 0); }
  void Paint(int32_t device_context) { Dispatch(GUI_PAINT, device_context, 0, &m_panel); }
  void ButtonDown(int32_t x, int32_t y, int32_t flags = 0) { Mouse(GUI_BUTTON_DOWN, x, y, flags); }
  void ButtonUp(int32_t x, int32_t y, int32_t flags = 0) { Mouse(GUI_BUTTON_UP, x, y, flags); }
  void MouseMove(int32_t x, int32_t y, int32_t flags = 0) { Mouse(GUI_MOUSE_MOVE, x, y, flags); }
  void Close();

  int32_t RepaintRequests() const { return m_repaints; }
  void ClearRepaintRequests() { m_repaints = 0; }
  bool Captured() const { return m_captured; }
  // What the constructor-time opcodes told the host.
  int32_t SizeIndex() const { return m_size_index; }
  int32_t SizeValue() const { return m_size_value; }
  int32_t InitOption() const { return m_init_option; }
  bool ClosingSent() const { return m_closing; }
  int32_t CallClock() const { return 0; }

 private:
  static int32_t Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                          float opt);
  int32_t Answer(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
  void Mouse(int32_t opcode, int32_t x, int32_t y, int32_t flags);

  std::shared_ptr<ModuleLibrary> m_library;
  GuiRouter* m_router;
  std::string m_name;
  SEGuiRecord* m_record = nullptr;
  ObservationLog m_log;
  SEPanel m_panel{200, 100, PANEL_CONTEXT};
  std::map<int32_t, WindowContext> m_contexts;
  int32_t m_repaints = 0;
  bool m_captured = false;
  int32_t m_size_index = 0;
  int32_t m_size_value = 0;
  int32_t m_init_option = 0;
  bool m_closing = false;
};

}  // namespace modhost
