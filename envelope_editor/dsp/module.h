// The envelope generator's DSP object: plays the selected one of eight
// stored envelopes on "Env.Out" under control of the gate, the sustain and
// repeat nodes and the two scalers.
#pragma once

#include <cstdint>

#include "envelope_data.h"
#include "host_window.h"
#include "se_module_base.h"

// DSP pin indices.
enum : int32_t {
  PN_ENV_TEXT = 0,  // 0..7
  PN_GATE = 8,
  PN_ENV_SELECT = 9,
  PN_FOLLOW_GUI = 10,
  PN_TIME_SCALER = 11,
  PN_LEVEL_SCALER = 12,
  PN_OUT = 13,
  PN_TIME_MODE = 14,
  PN_RETRIGGER_MODE = 15,
  PN_REPEAT_MODE = 16,
  PN_GATE_MODE = 17,
  PN_FAST_GATE = 18,
  PN_ACTIVE = 19,
  PN_DSP_PIN_COUNT = 20,
  PN_PIN_COUNT = 72,
};

// Stage index values beyond the eight stages.
enum : int32_t {
  STAGE_ENDED = 8,
  STAGE_NOT_STARTED = 9,
};

class Module : public SEModule_base {
 public:
  static constexpr HostWindow WINDOW{100184, 99893};

  Module(SEHostCallback callback, void* host_context);
  ~Module() override;

  void OnPinStatusChanged(SEPin* pin) override;
  void DeliverEvent(const SETimedEvent* event) override;
  void Open() override;
  bool GetPinProperties(int32_t index, SEPinProperties* properties) override;
  void OnReset() override;
  void OnResetIndexed(int32_t index) override;
  void OnNotify(int32_t value, int32_t index, void* ptr) override;

  void ProcessEnvelope(int32_t start, int32_t count);
  void ProcessGateScan(int32_t start, int32_t count);
  void ProcessSilent(int32_t start, int32_t count);

  // Read access for tests and tools.
  int32_t Stage() const { return m_stage; }
  float Phase() const { return m_phase; }
  int32_t Remaining() const { return m_remaining; }
  const EnvelopeData& Envelope() const { return m_env; }
  int16_t LoadedEnvelope() const { return m_loaded_env; }
  int32_t TotalSamples() const { return m_total_samples; }
  int32_t Clock() const { return m_clock; }

 private:
  void LoadEnvelope(int32_t n);
  void SelectProcess();
  void RecomputeTotal();
  void ResetEngine();
  void StartStage(int32_t stage, float value, bool at_least_one_sample);
  void Transmit(int32_t status);
  int32_t StageLength(int32_t stage) const;
  float PreviousOutput(int32_t start) const;
  void RunEnvelope(int32_t start, int32_t count);
  void CountDownToSleep(int32_t count);
  void Idle(int32_t start, int32_t count, int32_t e);
  void Hold(int32_t start, int32_t count, int32_t e, int32_t s);
  // Renders the current stage; returns the samples consumed, or -1 when the
  // call's samples ran out inside the stage.
  int32_t Render(int32_t start, int32_t count, int32_t e);
  void ReAim(int32_t key);

  typedef void (Module::*SegmentProcess)(int32_t start, int32_t count);

  // Pin variables.
  char* m_env_text[ENV_COUNT];
  float* m_gate_in;
  float* m_out;
  float* m_time_scaler_in;
  float* m_level_scaler_in;
  EnvelopeData m_env;
  int16_t m_active_pin;
  int16_t m_time_mode;
  int16_t m_retrigger_mode;
  int16_t m_repeat_mode;
  int16_t m_fast_gate;
  int16_t m_gate_mode;
  int16_t m_env_select;
  int16_t m_loaded_env;
  int16_t m_follow_gui;
  SEPin* m_out_pin;

  // Engine.
  int32_t m_stage;
  float m_phase;
  float m_phase_inc;
  int32_t m_remaining;
  float m_start_value;
  float m_delta;
  float m_level_latch;
  float m_stage_latch;
  float m_time_factor;
  float m_time_mult;
  int32_t m_total_samples;
  float m_end_value;
  float m_gate;
  float m_prev_gate;
  int32_t m_retrigger_armed;
  int32_t m_first_trigger;
  int32_t m_out_status;
  int32_t m_level_status;
  int32_t m_gate_streaming;
  int32_t m_buffer_size;
  int32_t m_sleep_countdown;
  int32_t m_clock;
  // The last sample written, for a restart at the first sample of a block.
  float m_last_out;

  // Gate, selection and live update.
  int16_t m_active;
  SegmentProcess m_segment_process;
  float m_prev_gate_sample;
  int32_t m_clock_synced;
  float m_time_factor_s;
  float m_time_factor_ms;
};

void FillModuleInfo(SEModuleInfo* info);
