// The wavetable generator: builds the process-wide wave tables on its first
// open and publishes the directory address on its link output.
#pragma once

#include "host_window.h"
#include "se_gui_base.h"
#include "se_module_base.h"
#include "table_link.h"

class Module : public SEModule_base {
 public:
  static constexpr HostWindow WINDOW{100114, 99959};

  Module(SEHostCallback callback, void* host_context);

  bool GetPinProperties(int32_t index, SEPinProperties* properties) override;
  void Open() override;

  int32_t LinkValue() const { return m_link_value; }

 private:
  float m_amplitudes[TABLE_HARMONICS];  // scratch for the spectrum being built
  int32_t m_link_value;
};

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
};

void FillModuleInfo(SEModuleInfo* info);
