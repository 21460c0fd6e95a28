// The envelope engine: a state machine over the stage index that renders
// one segment per pass (restart, release, repeat, hold, idle or the current
// stage) until the call's samples are written.
#include "module.h"
#include "sample_count.h"
#include "stage_render.h"
#include "step_marker.h"

namespace {

bool High(float v) { return v > 0.0f; }

enum Action { ACT_IDLE, ACT_RESTART, ACT_RELEASE, ACT_REPEAT, ACT_HOLD, ACT_RENDER };

// The sample clock wraps like the host's instead of overflowing.
int32_t Advance(int32_t clock, int32_t count) {
  return static_cast<int32_t>(static_cast<uint32_t>(clock) + static_cast<uint32_t>(count));
}

}  // namespace

void Module::ProcessEnvelope(int32_t start, int32_t count) {
  if (count <= 0) return;  // nothing to write, and no sample to remember
  RunEnvelope(start, count);
  m_last_out = m_out[start + count - 1];
}

int32_t Module::StageLength(int32_t stage) const {
  return NearestCount(m_env.time[stage] * m_time_mult);
}

float Module::PreviousOutput(int32_t start) const {
  return start > 0 ? m_out[start - 1] : m_last_out;
}

void Module::StartStage(int32_t stage, float value, bool at_least_one_sample) {
  int32_t n = StageLength(stage);
  // Every repeat advances, even over stages that last no time (or a
  // negative time, from a negative time scaler).
  if (at_least_one_sample && n < 1) n = 1;
  m_stage = stage;
  m_start_value = value;
  m_remaining = n;
  m_phase_inc = n == 0 ? 1.0f : 1.0f / static_cast<float>(n);
  m_phase = 0.0f;
  m_stage_latch = m_level_latch;
}

void Module::RecomputeTotal() {
  int32_t total = 0;
  for (int32_t i = 0; i < ENV_STAGES; ++i)
    total = TruncatedCount(static_cast<float>(total) + m_env.time[i] * m_time_mult);
  m_total_samples = total;
}

void Module::CountDownToSleep(int32_t count) {
  if (m_sleep_countdown > count) {
    m_sleep_countdown -= count;
    return;
  }
  // Stays at 0 so that every later call asks again.
  m_sleep_countdown = 0;
  CallHost(HOST_SLEEP);
}

void Module::RunEnvelope(int32_t start, int32_t count) {
  m_clock_synced = 0;
  m_time_mult = m_time_scaler_in[start] * m_time_factor;

  float g;
  if (m_gate_mode == 1 && m_stage < STAGE_ENDED) {
    // "Hold": a running envelope ignores the gate falling; a new rising edge
    // restarts it.
    if (!High(m_gate)) {
      m_prev_gate = m_gate;
    } else if (!High(m_prev_gate)) {
      m_prev_gate = m_gate;
      m_stage = STAGE_ENDED;
      m_retrigger_armed = -1;
    }
    g = 1.0f;
  } else {
    m_prev_gate = m_gate;
    g = m_gate;
  }
  const bool gate_high = High(g);

  // Set by a restart and cleared by any sample written: a second restart
  // without output means no active stage lasts a sample, and the rest of the
  // call idles instead of restarting forever.
  bool restarted_empty = false;

  while (count > 0) {
    const int32_t u = m_stage;
    int32_t e = m_out_status;
    int32_t s = m_env.sustain_node;
    const int32_t r = m_env.repeat_node;
    const bool armed = m_retrigger_armed != 0;

    Action action;
    if (u >= STAGE_ENDED) {
      if (!gate_high) {
        m_retrigger_armed = -1;
        action = ACT_IDLE;
      } else if (m_total_samples == 0) {
        action = ACT_IDLE;
      } else if (s != NODE_OFF || armed) {
        m_retrigger_armed = 0;
        action = ACT_RESTART;
      } else if (r == NODE_OFF) {
        action = ACT_IDLE;
      } else {
        s = STAGE_ENDED;
        action = ACT_REPEAT;
      }
    } else if (s == NODE_OFF) {
      if (!gate_high) {
        m_retrigger_armed = -1;
        action = ACT_RENDER;
      } else if (armed) {
        m_retrigger_armed = 0;
        action = ACT_RESTART;
      } else {
        action = ACT_RENDER;
      }
    } else if (u < s) {
      action = gate_high ? ACT_RENDER : ACT_RELEASE;
    } else if (u == s && m_phase == 0.0f) {
      if (!gate_high)
        action = ACT_RELEASE;
      else
        action = r == NODE_OFF ? ACT_HOLD : ACT_REPEAT;
    } else if (gate_high) {
      m_retrigger_armed = -1;
      action = ACT_RESTART;
    } else {
      action = ACT_RENDER;
    }

    if (action == ACT_RESTART && restarted_empty) action = ACT_IDLE;

    switch (action) {
      case ACT_IDLE:
        Idle(start, count, e);
        return;
      case ACT_HOLD:
        Hold(start, count, e, s);
        return;
      case ACT_RESTART: {
        e = -1;
        restarted_empty = true;
        float from = m_env.start_level * m_level_latch;
        if (m_retrigger_mode == 1) {
          if (m_first_trigger != 0)
            m_first_trigger = 0;
          else
            from = PreviousOutput(start);
        }
        StartStage(0, from, false);
        break;
      }
      case ACT_RELEASE:
        StartStage(s, PreviousOutput(start), false);
        break;
      case ACT_REPEAT: {
        e = -1;
        float node;
        if (m_repeat_mode == 1)
          node = m_env.level[s - 1];
        else
          node = r == REPEAT_START ? m_env.start_level : m_env.level[r - 1];
        StartStage(r, node * m_level_latch, true);
        break;
      }
      case ACT_RENDER:
        break;
    }

    const int32_t used = Render(start, count, e);
    if (used < 0) return;
    if (used > 0) restarted_empty = false;
    start += used;
    count -= used;
  }
}

void Module::Idle(int32_t start, int32_t count, int32_t e) {
  if (m_fast_gate == 0 && e != PS_ONE_CHANGE) {
    m_out_status = PS_ONE_CHANGE;
    Transmit(PS_ONE_CHANGE);
  }
  RenderConstant(m_out + start, count, m_end_value);
  m_clock = Advance(m_clock, count);
  if (m_gate_streaming == 0) CountDownToSleep(count);
}

void Module::Hold(int32_t start, int32_t count, int32_t e, int32_t s) {
  if (m_fast_gate == 0) {
    if (m_level_status != e) {
      m_out_status = m_level_status;
      Transmit(m_level_status);
    }
    if (m_level_status == PS_ONE_CHANGE && m_gate_streaming == 0) CountDownToSleep(count);
  }
  m_clock = Advance(m_clock, count);
  // While held, the output follows the level scaler sample by sample.
  const float level = m_env.level[s - 1];
  const float* scaler = m_level_scaler_in + start;
  float* out = m_out + start;
  for (int32_t i = 0; i < count; ++i) out[i] = level * scaler[i];
  m_stage_latch = scaler[count - 1];
}

int32_t Module::Render(int32_t start, int32_t count, int32_t e) {
  const int32_t shape = m_env.shape[m_stage];
  if (m_phase == 0.0f) {
    const float end = m_stage_latch * m_env.level[m_stage];
    if (shape == SHAPE_STEP) {
      m_phase = StepMarker();
      m_delta = 0.0f;
      m_start_value = end;
      e = 0;  // a "Step" stage always announces its constant
    } else {
      m_delta = end - m_start_value;
    }
  }

  if (m_fast_gate == 0) {
    if (AllBitsZero(m_delta)) {
      if (e != PS_ONE_CHANGE) {
        m_out_status = PS_ONE_CHANGE;
        Transmit(PS_ONE_CHANGE);
      }
    } else if (e != PS_STREAMING) {
      m_out_status = PS_STREAMING;
      Transmit(PS_STREAMING);
    }
  }

  const int32_t n = m_remaining <= 0 ? 0 : (m_remaining < count ? m_remaining : count);
  if (n > 0) {
    float* out = m_out + start;
    if (shape == SHAPE_STEP || IsStepMarker(m_phase)) {
      RenderConstant(out, n, m_start_value);
    } else {
      double p = m_phase;
      RenderShape(shape, out, n, p, m_phase_inc, m_start_value, m_delta);
      m_phase = static_cast<float>(p);
    }
    m_remaining -= n;
  }
  m_clock = Advance(m_clock, n);
  if (n == count) return -1;  // the call ends inside the stage

  // Stage end. Its end value is the next stage's start, under the latch the
  // ending stage used, so the curve stays continuous.
  m_remaining = -1;
  const float end_latch = m_stage_latch;
  m_stage += 1;
  if (m_stage < m_env.active_stages) {
    StartStage(m_stage, m_env.level[m_stage - 1] * end_latch, false);
  } else {
    m_stage = STAGE_ENDED;
    m_end_value = m_env.level[ENV_STAGES - 1] * m_level_latch;
    m_sleep_countdown = m_buffer_size;
  }
  return n;
}
