// A state-variable filter run up to eight times in series on one signal,
// with a choice of output form, bypass and off. Pin events select one
// process function per mode; the kernels switch to Hold once the output has
// settled so the host can let the module sleep.
#pragma once

#include <cstdint>

#include "host_window.h"
#include "kernels.h"
#include "se_gui_base.h"
#include "se_module_base.h"
#include "sleep_countdown.h"

class Module : public SEModule_base {
 public:
  static constexpr HostWindow WINDOW{100289, 99768};

  // Pin indices.
  enum : int32_t {
    PIN_INPUT = 0,
    PIN_CUTOFF = 1,
    PIN_RESONANCE = 2,
    PIN_OUTPUT = 3,
    PIN_CHOICE = 4,
    PIN_CASCADE = 5,
    PIN_ACTIVE = 6,
    PIN_BALANCING = 7,
    PIN_MONO_MODE = 8,
    PIN_GATE = 9,
  };

  // Filter Choice values beyond the six output forms.
  enum : int16_t { CHOICE_BYPASS = 6, CHOICE_OFF = 7 };

  Module(SEHostCallback callback, void* host_context);

  bool GetPinProperties(int32_t index, SEPinProperties* properties) override;
  void Open() override;
  void OnPinStatusChanged(SEPin* pin) override;
  void OnReset() override;

  // Process functions.
  template <SvfForm F>
  void ProcessFilter(int32_t start, int32_t count);
  void ProcessBypass(int32_t start, int32_t count);
  void ProcessOff(int32_t start, int32_t count);
  void ProcessHold(int32_t start, int32_t count);

  // Read access for tests and diagnostics.
  const SvfStage* Stages() const { return m_stages; }
  float Balance() const { return m_balance; }
  bool ResetArmed() const { return m_reset_armed != 0; }

 private:
  void ClearStages();
  void UpdateBalance();
  void SelectByChoice();
  void CommonTail();
  void PolyReset();
  void TransmitOutput(int32_t clock, int32_t status);
  void SettleTest(int32_t count);

  // Pin variables; the host writes buffer addresses and list values here.
  float* m_input;
  float* m_cutoff;
  float* m_resonance;
  float* m_output;
  float* m_gate;
  int16_t m_choice;
  int16_t m_cascade;
  int16_t m_active;
  int16_t m_balancing;
  int16_t m_mono_mode;

  SvfStage m_stages[SVF_MAX_STAGES];
  SEPin* m_output_pin;
  float m_balance;
  int32_t m_block_samples;
  SleepCountdown m_countdown;
  int32_t m_inputs_static;
  int32_t m_reset_armed;
  int32_t m_input_streaming;
  int32_t m_cutoff_streaming;
  int32_t m_resonance_streaming;
  int32_t m_per_sample_cutoff;
};

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
};

void FillModuleInfo(SEModuleInfo* info);
