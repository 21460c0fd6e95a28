// Turns a continuous value from a GUI control into a two-state "Active"
// output. Works entirely in its pin handler and sleeps otherwise.
#pragma once

#include "host_window.h"
#include "se_gui_base.h"
#include "se_module_base.h"

class Module : public SEModule_base {
 public:
  static constexpr HostWindow WINDOW{100241, 99841};

  Module(SEHostCallback callback, void* host_context);

  bool GetPinProperties(int32_t index, SEPinProperties* properties) override;
  void Open() override;
  void OnPinStatusChanged(SEPin* pin) override;

  void ProcessSleep(int32_t start, int32_t count);

 private:
  float m_switch_input;
  SEPin* m_output_pin;
  int16_t m_active;
};

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
  ~GuiModule() override;
};

void FillModuleInfo(SEModuleInfo* info);
