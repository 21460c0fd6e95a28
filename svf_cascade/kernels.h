// The state-variable recursion of one filter stage. Running values are held
// in double for the whole call; only the stored state and the output samples
// are rounded to float. The output form and the cutoff mode are template
// parameters, so each combination is one loop body with no tests inside.
#pragma once

#include <cmath>
#include <cstdint>

// Two values per stage, as the module stores them: band, then low.
struct SvfStage {
  float band;
  float low;
};
static_assert(sizeof(SvfStage) == 8, "two floats per stage");

constexpr int32_t SVF_MAX_STAGES = 8;

// Keeps the recursion off exact zero (denormal-free start from silence).
constexpr float SVF_OFFSET = 1e-18f;
// A settled output block deviates from its first sample by at most this.
constexpr float SVF_SETTLE_TOLERANCE = 1e-12f;
// A held level at or below this magnitude is written as exact silence.
constexpr float SVF_HOLD_FLOOR = 1e-8f;

// Output forms, in the order of the choice list.
enum class SvfForm : int32_t { LOW, HIGH, BAND, NOTCH, PEAK_A, PEAK_B };

// x is the stage input, low the value after its update, high the new high,
// band the value after its update.
template <SvfForm F>
inline double SvfFormValue(double x, double low, double high, double band) {
  if constexpr (F == SvfForm::LOW) return low;
  if constexpr (F == SvfForm::HIGH) return high;
  if constexpr (F == SvfForm::BAND) return band;
  if constexpr (F == SvfForm::NOTCH) return high + low;
  if constexpr (F == SvfForm::PEAK_A) return x + band;
  if constexpr (F == SvfForm::PEAK_B) return low - high;
}

// Runs one stage over samples start .. start + count - 1. source and output
// may be the same buffer: each input sample is read before its output is
// written. With PER_SAMPLE_CUTOFF the coefficient is |cutoff[i]| at every
// sample, otherwise |cutoff[start]| for the whole range.
template <SvfForm F, bool PER_SAMPLE_CUTOFF>
inline void SvfRunStage(SvfStage& stage, const float* source, float* output, const float* cutoff,
                        float damp, int32_t start, int32_t count) {
  const double d = damp;
  const double offset = SVF_OFFSET;
  const double fixed_f = std::fabs(cutoff[start]);
  double band = stage.band;
  double low = stage.low;
  const int32_t end = start + count;
  for (int32_t i = start; i < end; ++i) {
    const double f = PER_SAMPLE_CUTOFF ? static_cast<double>(std::fabs(cutoff[i])) : fixed_f;
    low = low + f * band;
    const double x = source[i];
    const double high = (x - low) - (d * band + offset);
    band = band + f * high;
    output[i] = static_cast<float>(SvfFormValue<F>(x, low, high, band));
  }
  stage.band = static_cast<float>(band);
  stage.low = static_cast<float>(low);
}

// A recursion driven beyond its stable band grows to infinity and then NaN;
// such a stage would stay broken for ever and feed NaN downstream, so it
// restarts from rest. Finite states are left exactly as they are.
inline void SvfClearBrokenStages(SvfStage* stages, int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    if (!std::isfinite(stages[k].band) || !std::isfinite(stages[k].low)) {
      stages[k].band = 0.0f;
      stages[k].low = 0.0f;
    }
  }
}

// Number of stages for a cascade list index; a value outside the list never
// runs more stages than the state holds.
inline int32_t SvfStageCount(int32_t cascade) {
  if (cascade < 0) return 1;
  if (cascade >= SVF_MAX_STAGES) return SVF_MAX_STAGES;
  return cascade + 1;
}
