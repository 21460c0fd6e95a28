// Open, pin reactions, envelope loading, process selection and resets.
#include "module.h"

#include "envelope_text.h"
#include "step_marker.h"

Module::Module(SEHostCallback callback, void* host_context)
    : SEModule_base(callback, host_context),
      m_env_text{},
      m_gate_in(nullptr),
      m_out(nullptr),
      m_time_scaler_in(nullptr),
      m_level_scaler_in(nullptr),
      m_env(StartupEnvelope()),
      m_active_pin(0),
      m_time_mode(0),
      m_retrigger_mode(0),
      m_repeat_mode(0),
      m_fast_gate(0),
      m_gate_mode(0),
      m_env_select(0),
      m_loaded_env(-1),
      m_follow_gui(0),
      m_out_pin(nullptr),
      m_stage(STAGE_NOT_STARTED),
      m_phase(0.0f),
      m_phase_inc(1.0f),
      m_remaining(0),
      m_start_value(0.0f),
      m_delta(0.0f),
      m_level_latch(0.0f),
      m_stage_latch(0.0f),
      m_time_factor(0.0f),
      m_time_mult(0.0f),
      m_total_samples(0),
      m_end_value(0.0f),
      m_gate(0.0f),
      m_prev_gate(-1.0f),
      m_retrigger_armed(-1),
      m_first_trigger(-1),
      m_out_status(PS_ONE_CHANGE),
      m_level_status(PS_ONE_CHANGE),
      m_gate_streaming(0),
      m_buffer_size(0),
      m_sleep_countdown(0),
      m_clock(0),
      m_last_out(0.0f),
      m_active(0),
      m_segment_process(&Module::ProcessEnvelope),
      m_prev_gate_sample(-1.0f),
      m_clock_synced(0),
      m_time_factor_s(0.0f),
      m_time_factor_ms(0.0f) {}

Module::~Module() = default;

void Module::Open() {
  SEModule_base::Open();
  const int32_t version = HostVersion();
  if (!WINDOW.Below(version)) {
    m_buffer_size = BlockSize();
    m_end_value = 0.0f;
  }
  if (WINDOW.Inside(version)) {
    m_out_pin = GetPin(PN_OUT);
    m_retrigger_armed = -1;
    m_prev_gate_sample = m_prev_gate = -1.0f;
    m_stage = STAGE_NOT_STARTED;
    m_clock = 0;
    m_clock_synced = 0;
  }
  const float rate = SampleRate();
  m_time_factor_s = rate * 100.0f;
  m_time_factor_ms = rate * 0.1f;
  m_out_status = m_level_status = PS_ONE_CHANGE;
  m_env = StartupEnvelope();
  // The first selection always loads, whatever the host wrote already.
  m_loaded_env = -1;
}

void Module::OnPinStatusChanged(SEPin* pin) {
  if (m_clock_synced == 0) {
    m_clock_synced = 1;
    m_clock = SampleClock();
  }
  const int32_t index = pin->getIndex();
  switch (index) {
    case PN_GATE:
      m_gate = pin->StreamValue();
      if (pin->getStatus() == PS_STREAMING) {
        m_gate_streaming = 1;
      } else {
        m_prev_gate_sample = m_gate;
        m_gate_streaming = 0;
      }
      break;
    case PN_ENV_SELECT:
      // Compared before clamping, so a connected input that keeps sending an
      // out-of-range number reloads each time.
      if (m_env_select == m_loaded_env) return;
      if (m_env_select < 0) m_env_select = 0;
      if (m_env_select > ENV_COUNT - 1) m_env_select = ENV_COUNT - 1;
      m_loaded_env = m_env_select;
      if (m_follow_gui != 0) CallHost(HOST_SEND_TO_GUI, 0, m_env_select);
      LoadEnvelope(m_env_select);
      return;
    case PN_TIME_SCALER:
      m_time_mult = pin->StreamValue() * m_time_factor;
      RecomputeTotal();
      break;
    case PN_LEVEL_SCALER:
      m_level_latch = pin->StreamValue();
      m_level_status = pin->getStatus() == PS_STREAMING ? PS_STREAMING : PS_ONE_CHANGE;
      m_sleep_countdown = m_buffer_size;
      return;
    case PN_TIME_MODE:
      if (m_time_mode == 0) m_time_factor = m_time_factor_s;
      if (m_time_mode == 1) m_time_factor = m_time_factor_ms;
      m_time_mult = GetPin(PN_TIME_SCALER)->StreamValue() * m_time_factor;
      RecomputeTotal();
      break;
    case PN_ACTIVE:
      m_active = m_active_pin;
      if (m_active == 0) {
        SetProcessFunction(ProcessOf<&Module::ProcessSilent>());
        m_out_status = PS_ONE_CHANGE;
        Transmit(PS_ONE_CHANGE);
      }
      break;
    default:
      if (index >= PN_ENV_TEXT && index < PN_ENV_TEXT + ENV_COUNT) {
        // Other envelopes' texts are read when they are selected.
        if (index == m_env_select) LoadEnvelope(index);
      }
      // The engine reads the remaining pins' variables when it needs them.
      return;
  }
  SelectProcess();
}

void Module::DeliverEvent(const SETimedEvent* event) {
  if (event->event_type == EV_RESET) ResetEngine();
  SEModule_base::DeliverEvent(event);
}

void Module::OnReset() {
  m_clock_synced = 0;
  m_clock = SampleClock();
  m_sleep_countdown = m_buffer_size;
}

void Module::OnResetIndexed(int32_t) { ResetEngine(); }

void Module::LoadEnvelope(int32_t n) {
  EnvelopeData loaded = m_env;
  // A text shorter than a whole envelope (a newly placed module's empty text,
  // or a damaged patch) keeps what is playing.
  if (n >= 0 && n < ENV_COUNT && DecodeEnvelope(m_env_text[n], EnvelopeText::DSP_BYTES, loaded)) {
    MakePlayable(loaded);
    // A held "Step" value is taken again from the new data.
    if (IsStepMarker(m_phase)) m_phase = 0.0f;
    m_env = loaded;
  }
  RecomputeTotal();
  m_out_status = -1;
  SelectProcess();
}

void Module::SelectProcess() {
  // A host that has not supplied every buffer gets no engine.
  const bool buffers = m_gate_in && m_out && m_time_scaler_in && m_level_scaler_in;
  if (m_active != 0 && buffers) {
    if (m_gate_streaming == 1) {
      m_segment_process = &Module::ProcessEnvelope;
      SetProcessFunction(ProcessOf<&Module::ProcessGateScan>());
    } else {
      SetProcessFunction(ProcessOf<&Module::ProcessEnvelope>());
    }
    if (m_fast_gate != 0) {
      m_out_status = PS_STREAMING;
      Transmit(PS_STREAMING);
    }
  }
  m_sleep_countdown = m_buffer_size;
}

void Module::ResetEngine() {
  m_end_value = 0.0f;
  m_stage = STAGE_NOT_STARTED;
  m_out_status = -1;
  m_retrigger_armed = -1;
  m_first_trigger = -1;
  m_prev_gate = m_prev_gate_sample = -1.0f;
  m_sleep_countdown = m_buffer_size;
}

void Module::Transmit(int32_t status) {
  if (m_out_pin) m_out_pin->TransmitStatus(m_clock, status);
}
