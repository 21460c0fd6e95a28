// The oscillator's process functions. Everything that depends on a mode is
// decided once per call; the sample loops only read, interpolate and add.
#include <cstring>

#include "oscillator.h"
#include "pitch.h"
#include "table_lookup.h"

namespace {

constexpr double CYCLE = TABLE_CYCLE;
constexpr float NOISE_SCALE = 2.3283064365386963e-10f;  // 2^-32

void Silence(float* out, int32_t count) {
  for (int32_t k = 0; k < count; ++k) out[k] = 0.0f;
}

// Positive means sign bit clear and not zero, so -0.0 counts as not positive.
int32_t SignedBits(float v) {
  int32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

}  // namespace

const float* Module::BlockTable(float e, float reference) const {
  if (m_current_table == nullptr) return nullptr;
  if (m_waveform == WAVEFORM_SINE || !m_table_is_set) return m_current_table;
  uint32_t count = m_max_harmonics;
  if (m_limit_system == LIMIT_A)
    count = HarmonicCount(m_limit_frequency, LimitFrequency(e, m_pitch_mode), count);
  else if (m_limit_system == LIMIT_B)
    count = HarmonicCount(m_limit_frequency, LimitFrequency(reference, m_pitch_mode), count);
  return m_current_table + (count - 1) * TABLE_STRIDE;
}

void Module::RenderNoise(float* out, const float* scale, int32_t count) {
  uint32_t a = m_noise_a;
  uint32_t b = m_noise_b;
  for (int32_t k = 0; k < count; ++k) {
    a ^= b;
    b += a;
    out[k] = static_cast<float>(static_cast<int32_t>(b)) * NOISE_SCALE * scale[k];
  }
  m_noise_a = a;
  m_noise_b = b;
}

void Module::ProcessBlockPitch(int32_t start, int32_t count) {
  float* out = m_output_buffer + start;
  const float* width = m_phase_buffer + start;
  if (m_waveform == WAVEFORM_NOISE) return RenderNoise(out, width, count);

  const float e = m_pitch_buffer[start] + m_pitch_adjust_buffer[start];
  double inc = m_increment;
  if (m_pitch_streaming || m_pitch_adjust_streaming)
    inc = m_pitch_mode != PITCH_MODE_OCT ? static_cast<double>(e) * m_linear_factor
                                         : OctaveIncrement<Rounding::NEAREST>(e);
  const float* table = BlockTable(e, m_pitch_ref_buffer[start] + m_pitch_adjust_buffer[start]);
  if (table == nullptr) return Silence(out, count);
  const double step = inc * CYCLE;

  if (IsPulse()) {
    double q = m_phase * CYCLE;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, width[k] * CYCLE + q) - Lookup(table, q);
      q += step;
    }
    m_phase = Fraction(q / CYCLE);
  } else if (m_phase_streaming) {
    double p = m_phase;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, (width[k] + p) * CYCLE);
      p += inc;
    }
    m_phase = Fraction(p);
  } else {
    const double w = width[0];
    double q = (m_phase + w) * CYCLE;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, q);
      q += step;
    }
    m_phase = Fraction(q / CYCLE - w);
  }
}

void Module::ProcessSamplePitch(int32_t start, int32_t count) {
  float* out = m_output_buffer + start;
  const float* width = m_phase_buffer + start;
  if (m_waveform == WAVEFORM_NOISE) return RenderNoise(out, width, count);

  const float* pitch = m_pitch_buffer + start;
  const float* adjust = m_pitch_adjust_buffer + start;
  const float* table = BlockTable(pitch[0] + adjust[0], m_pitch_ref_buffer[start] + adjust[0]);
  const bool pulse = IsPulse();
  const double scale = pulse ? CYCLE : 1.0;

  // The increments go to the internal pin's buffer from its start.
  float* inc = m_increment_buffer;
  if (m_pitch_mode != PITCH_MODE_OCT) {
    const double factor = m_linear_factor;
    for (int32_t k = 0; k < count; ++k)
      inc[k] = static_cast<float>((pitch[k] + adjust[k]) * factor * scale);
  } else {
    for (int32_t k = 0; k < count; ++k)
      inc[k] = static_cast<float>(OctaveIncrement<Rounding::DOWN>(pitch[k] + adjust[k]) * scale);
  }
  if (table == nullptr) return Silence(out, count);

  if (pulse) {
    double q = m_phase * CYCLE;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, width[k] * CYCLE + q) - Lookup(table, q);
      q += inc[k];
    }
    m_phase = Fraction(q / CYCLE);
  } else if (m_phase_streaming) {
    double p = m_phase;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, (width[k] + p) * CYCLE);
      p += inc[k];
    }
    m_phase = Fraction(p);
  } else {
    const double w = width[0];
    double p = m_phase + w;
    for (int32_t k = 0; k < count; ++k) {
      out[k] = Lookup(table, p * CYCLE);
      p += inc[k];
    }
    m_phase = Fraction(p - w);
  }
}

template <class EdgePhase>
void Module::SyncFrame(int32_t start, int32_t count, EdgePhase edge_phase) {
  const float* sync = m_sync_buffer + start;
  float prev = m_previous_sync;
  int32_t b = 0;
  for (int32_t k = 0; k < count; ++k) {
    const float cur = sync[k];
    if (SignedBits(prev) <= 0 && SignedBits(cur) > 0) {
      if (k > b) (this->*m_inner_process)(start + b, k - b);
      const double after = static_cast<double>(cur) / (static_cast<double>(cur) - prev);
      m_phase = edge_phase(start + k, after);
      b = k;
    }
    prev = cur;
  }
  m_previous_sync = prev;
  if (count > b) (this->*m_inner_process)(start + b, count - b);
  // The table kernels leave the phase inside one cycle; noise leaves an edge's
  // phase as set, which may be anything a wild pitch or sync sample makes it.
  if (!(m_phase >= 0.0 && m_phase < 1.0)) m_phase = Fraction(m_phase);
}

void Module::ProcessSyncReset(int32_t start, int32_t count) {
  SyncFrame(start, count, [](int32_t, double) { return 0.0; });
}

void Module::ProcessSyncOct(int32_t start, int32_t count) {
  // The phase already travelled past the crossing, at the Pitch input's rate.
  SyncFrame(start, count, [this](int32_t i, double after) {
    return OctaveIncrement<Rounding::NEAREST>(m_pitch_buffer[i]) * after;
  });
}

void Module::ProcessSyncLinear(int32_t start, int32_t count) {
  SyncFrame(start, count, [this](int32_t i, double after) {
    return static_cast<double>(m_pitch_buffer[i]) * m_linear_factor * after;
  });
}

void Module::CountDownToSleep(int32_t count) {
  m_sleep_countdown -= count;
  if (m_sleep_countdown <= 0) {
    // Keep the countdown from wrapping on a module left asleep for long.
    m_sleep_countdown = 0;
    CallHost(HOST_SLEEP);
  }
}

void Module::ProcessHold(int32_t start, int32_t count) {
  CountDownToSleep(count);
  float* out = m_output_buffer;
  // At a block start, the last sample written into the same buffer last block.
  const int32_t previous = start > 0 ? start - 1 : m_block_size_at_open - 1;
  const float v = previous >= 0 ? out[previous] : 0.0f;
  for (int32_t k = 0; k < count; ++k) out[start + k] = v;
}

void Module::ProcessOff(int32_t start, int32_t count) {
  CountDownToSleep(count);
  Silence(m_output_buffer + start, count);
}
