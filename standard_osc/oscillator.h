// The wavetable oscillator. It holds no wave data: every table is read
// through the directory whose address arrives on the link input. Pin events
// choose one of seven process functions, so the sample loops test no modes.
#pragma once

#include <cstdint>

#include "host_window.h"
#include "se_gui_base.h"
#include "se_module_base.h"
#include "table_link.h"

enum : int32_t {
  PIN_PITCH = 0,
  PIN_PITCH_ADJUST = 1,
  PIN_PITCH_REF = 2,
  PIN_PHASE = 3,
  PIN_SYNC = 4,
  PIN_SYNC_ACCURACY = 5,
  PIN_OUTPUT = 6,
  PIN_WAVEFORM = 7,
  PIN_WAVE_QUALITY = 8,
  PIN_HARMONICS = 9,
  PIN_FREQ_LIMIT = 10,
  PIN_LIMIT_SYSTEM = 11,
  PIN_PITCH_MODE = 12,
  PIN_PITCHMOD_ACCURACY = 13,
  PIN_HOLD = 14,
  PIN_ACTIVE = 15,
  PIN_INCREMENTS = 16,
  PIN_LINK = 17,
  OSC_PIN_COUNT = 18,
};

enum : int16_t {
  WAVEFORM_SINE = 0,
  WAVEFORM_FIRST_PULSE = 11,
  WAVEFORM_LAST_PULSE = 20,
  WAVEFORM_NOISE = 255,
};

enum : int16_t {
  LIMIT_OFF = 0,
  LIMIT_A = 1,
  LIMIT_B = 2,
};

class Module : public SEModule_base {
 public:
  static constexpr HostWindow WINDOW{100114, 99959};

  Module(SEHostCallback callback, void* host_context);

  bool GetPinProperties(int32_t index, SEPinProperties* properties) override;
  void Open() override;
  void OnPinStatusChanged(SEPin* pin) override;

  void ProcessBlockPitch(int32_t start, int32_t count);
  void ProcessSamplePitch(int32_t start, int32_t count);
  void ProcessSyncReset(int32_t start, int32_t count);
  void ProcessSyncOct(int32_t start, int32_t count);
  void ProcessSyncLinear(int32_t start, int32_t count);
  void ProcessHold(int32_t start, int32_t count);
  void ProcessOff(int32_t start, int32_t count);

  // Read access for tests and tools.
  double Phase() const { return m_phase; }
  double Increment() const { return m_increment; }
  float LimitHz() const { return m_limit_frequency; }
  uint32_t MaximumHarmonics() const { return m_max_harmonics; }
  float PreviousSync() const { return m_previous_sync; }
  const float* CurrentTable() const { return m_current_table; }
  bool LinkConnected() const { return m_link_connected != 0; }

  // The table a kernel call reads, from the pitch at its first sample; null
  // when there is none (silence).
  const float* BlockTable(float e, float reference) const;

 private:
  typedef void (Module::*Kernel)(int32_t, int32_t);

  void UpdateIncrement(float v);
  void ApplyWaveform();
  void Reselect();
  void EnterIdle(const SEProcessDescriptor& process);
  void CountDownToSleep(int32_t count);
  void RenderNoise(float* out, const float* scale, int32_t count);
  bool IsPulse() const {
    return m_waveform >= WAVEFORM_FIRST_PULSE && m_waveform <= WAVEFORM_LAST_PULSE;
  }
  template <class EdgePhase>
  void SyncFrame(int32_t start, int32_t count, EdgePhase edge_phase);

  const float* m_current_table;
  float* m_pitch_buffer;
  float* m_sync_buffer;
  float* m_increment_buffer;
  float* m_output_buffer;
  float* m_phase_buffer;
  float* m_pitch_ref_buffer;
  float* m_freq_limit_buffer;
  float* m_pitch_adjust_buffer;
  float m_previous_sync;
  float m_limit_frequency;
  double m_phase;
  double m_increment;
  float m_linear_factor;
  uint32_t m_noise_b;
  uint32_t m_noise_a;
  int32_t m_pitch_adjust_streaming;
  int32_t m_pitch_streaming;
  int32_t m_sync_streaming;
  int32_t m_phase_streaming;
  uint32_t m_max_harmonics;
  int32_t m_block_size_at_open;
  int32_t m_sleep_countdown;
  int32_t m_link_value;
  int32_t m_link_connected;
  Kernel m_inner_process;
  SEPin* m_output_pin;
  SEPin* m_pitch_pin;
  SEPin* m_pitch_adjust_pin;
  int16_t m_waveform;
  int16_t m_limit_system;
  int16_t m_active_state;
  int16_t m_pitch_mode;
  int16_t m_pitchmod_accuracy;
  int16_t m_sync_accuracy;
  int16_t m_wave_quality;
  int16_t m_hold;
  int16_t m_active;
  int16_t m_harmonics;
  // Whether the current table is a harmonic set (directory entries 1..20)
  // rather than the sine, so that a stale Waveform never offsets past a
  // table's end.
  bool m_table_is_set;
};

class GuiModule : public SEGUI_base {
 public:
  using SEGUI_base::SEGUI_base;
};

void FillModuleInfo(SEModuleInfo* info);
