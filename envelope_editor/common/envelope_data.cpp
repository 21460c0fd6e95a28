#include "envelope_data.h"

#include "curve_shapes.h"

EnvelopeData StartupEnvelope() {
  EnvelopeData d{};
  d.sustain_node = 7;
  d.repeat_node = NODE_OFF;
  d.start_level = 0.5f;
  for (int32_t i = 0; i < ENV_STAGES; ++i) {
    d.level[i] = 0.125f;
    d.time[i] = 1.0f;
    d.shape[i] = SHAPE_LINEAR;
  }
  d.active_stages = ENV_STAGES;
  return d;
}

EnvelopeData DefaultEditorEnvelope() {
  EnvelopeData d{};
  d.sustain_node = 7;
  d.repeat_node = NODE_OFF;
  d.start_level = 0.0f;
  for (int32_t i = 0; i < ENV_STAGES; ++i) {
    d.level[i] = i < ENV_STAGES - 1 ? 1.0f : 0.0f;
    d.time[i] = 0.125f;
    d.shape[i] = SHAPE_LINEAR;
  }
  d.active_stages = ENV_STAGES;
  d.max_level = 1.0f;
  return d;
}

void MakePlayable(EnvelopeData& d) {
  // The editor's own rule for a stage count it cannot show.
  if (d.active_stages < 1 || d.active_stages > ENV_STAGES) d.active_stages = ENV_STAGES;
  // The node lists of "Sustain Stage" and "Repeat From Stage".
  if (d.sustain_node < 1 || d.sustain_node > ENV_STAGES - 1) d.sustain_node = NODE_OFF;
  if (d.repeat_node < REPEAT_START || d.repeat_node > ENV_STAGES - 2) d.repeat_node = NODE_OFF;
  for (int32_t i = 0; i < ENV_STAGES; ++i)
    if (d.shape[i] < 0 || d.shape[i] >= SHAPE_COUNT) d.shape[i] = SHAPE_LINEAR;
}
