// The filter's process functions: the six kernels, Bypass, Off and Hold.

#include <cmath>

#include "module.h"

template <SvfForm F>
void Module::ProcessFilter(int32_t start, int32_t count) {
  // Resonance is sampled once per call to keep the sample loop short.
  const float damp = static_cast<float>(1.0 - static_cast<double>(m_resonance[start]) * m_balance);
  const int32_t stages = SvfStageCount(m_cascade);
  // Each stage filters the previous stage's output in place.
  const float* source = m_input;
  if (m_per_sample_cutoff) {
    for (int32_t k = 0; k < stages; ++k) {
      SvfRunStage<F, true>(m_stages[k], source, m_output, m_cutoff, damp, start, count);
      source = m_output;
    }
  } else {
    for (int32_t k = 0; k < stages; ++k) {
      SvfRunStage<F, false>(m_stages[k], source, m_output, m_cutoff, damp, start, count);
      source = m_output;
    }
  }
  SvfClearBrokenStages(m_stages, stages);
  if (m_inputs_static && start == 0) SettleTest(count);
}

template void Module::ProcessFilter<SvfForm::LOW>(int32_t, int32_t);
template void Module::ProcessFilter<SvfForm::HIGH>(int32_t, int32_t);
template void Module::ProcessFilter<SvfForm::BAND>(int32_t, int32_t);
template void Module::ProcessFilter<SvfForm::NOTCH>(int32_t, int32_t);
template void Module::ProcessFilter<SvfForm::PEAK_A>(int32_t, int32_t);
template void Module::ProcessFilter<SvfForm::PEAK_B>(int32_t, int32_t);

// With nothing streaming in, an output block that stays within the settle
// tolerance of its first sample is final: hold it and let the host sleep.
// One sample alone proves nothing about the filter having come to rest, so
// a block must hold at least two.
void Module::SettleTest(int32_t count) {
  if (m_block_samples < 2) return;
  const float r = m_output[0];
  for (int32_t j = 0; j < m_block_samples; ++j) {
    if (!(std::fabs(m_output[j] - r) <= SVF_SETTLE_TOLERANCE)) return;
  }
  SetProcessFunction(ProcessOf<&Module::ProcessHold>());
  TransmitOutput(SampleClock() + count, PS_ONE_CHANGE);
}

void Module::ProcessBypass(int32_t start, int32_t count) {
  const float* in = m_input + start;
  float* out = m_output + start;
  for (int32_t i = 0; i < count; ++i) out[i] = in[i];
}

void Module::ProcessOff(int32_t start, int32_t count) {
  if (m_countdown.Spend(count)) CallHost(HOST_SLEEP);
  float* out = m_output + start;
  for (int32_t i = 0; i < count; ++i) out[i] = 0.0f;
}

void Module::ProcessHold(int32_t start, int32_t count) {
  if (m_countdown.Spend(count)) CallHost(HOST_SLEEP);
  float v = m_output[start];
  if (std::fabs(v) <= SVF_HOLD_FLOOR) v = 0.0f;
  float* out = m_output + start;
  for (int32_t i = 0; i < count; ++i) out[i] = v;
}
