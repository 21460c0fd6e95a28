// The gate scanner that cuts a block at the edges of a streaming gate, the
// silent process of an inactive module, and the editor's live update of
// running voices.
#include "module.h"
#include "sample_count.h"
#include "stage_render.h"
#include "step_marker.h"

namespace {

// More clones than any patch has voices: a host that reports a cycle must
// not hang the editor's notification.
constexpr int32_t MAX_CLONES = 1 << 16;

}  // namespace

void Module::ProcessGateScan(int32_t start, int32_t count) {
  float prev = m_prev_gate_sample;
  int32_t seg = 0;
  const float* gate = m_gate_in + start;
  for (int32_t i = 0; i < count; ++i) {
    const float cur = gate[i];
    const bool was_high = prev > 0.0f;
    const bool is_high = cur > 0.0f;
    if (was_high != is_high) {
      if (i > seg) (this->*m_segment_process)(start + seg, i - seg);
      m_gate = is_high ? 1.0f : 0.0f;
      seg = i;
    }
    prev = cur;
  }
  m_prev_gate_sample = prev;
  if (count > seg) (this->*m_segment_process)(start + seg, count - seg);
}

void Module::ProcessSilent(int32_t start, int32_t count) {
  m_clock_synced = 0;
  if (count <= 0) return;
  CountDownToSleep(count);
  RenderConstant(m_out + start, count, 0.0f);
  m_last_out = 0.0f;
}

void Module::OnNotify(int32_t value, int32_t, void*) {
  m_sleep_countdown = m_buffer_size;
  SEModuleRecord* record = nullptr;
  CallHost(HOST_FIRST_CLONE, 0, 0, &record);
  for (int32_t n = 0; record != nullptr && n < MAX_CLONES; ++n) {
    if (record->magic != SE_MODULE_MAGIC) break;
    Module* clone = dynamic_cast<Module*>(ModuleFromRecord(record));
    if (clone == nullptr) break;
    clone->ReAim(value);
    SEModuleRecord* next = nullptr;
    clone->CallHost(HOST_NEXT_CLONE, 0, 0, &next);
    record = next;
  }
}

// Keeps the voice's position and start value inside its stage and aims it
// at the stage's end value as the data now gives it, over the rest of the
// stage's duration.
void Module::ReAim(int32_t key) {
  if (m_stage >= STAGE_ENDED) return;
  if (m_stage != key && m_stage - 1 != key) return;
  // A "Step" stage has no position to keep; it holds its value.
  if (IsStepMarker(m_phase)) return;
  m_delta = m_stage_latch * m_env.level[m_stage] - m_start_value;
  const int32_t n = StageLength(m_stage);
  m_phase_inc = n == 0 ? 1.0f : 1.0f / static_cast<float>(n);
  m_remaining = NearestCount((1.0f - m_phase) / m_phase_inc);
}
