// Envelopes the engine tests play. With the rig's time base a time of 0.125
// lasts 32 samples.
#pragma once

#include <initializer_list>

#include "curve_shapes.h"
#include "envelope_data.h"

constexpr int STAGE = 32;  // samples of a 0.125 stage

// Levels of nodes 1..8, linear stages of 0.125; stages beyond `active` get
// time 0 and the last active level, as the editor keeps them.
inline EnvelopeData MakeEnvelope(float start, std::initializer_list<float> levels, int sustain,
                                 int repeat, int active = 8) {
  EnvelopeData d = DefaultEditorEnvelope();
  d.start_level = start;
  int i = 0;
  for (float l : levels) d.level[i++] = l;
  for (; i < ENV_STAGES; ++i) d.level[i] = i > 0 ? d.level[i - 1] : 0.0f;
  for (i = 0; i < ENV_STAGES; ++i) {
    d.time[i] = i < active ? 0.125f : 0.0f;
    if (i >= active) d.level[i] = d.level[active - 1];
    d.shape[i] = SHAPE_LINEAR;
  }
  d.sustain_node = sustain;
  d.repeat_node = repeat;
  d.active_stages = active;
  return d;
}

inline EnvelopeData OneShot() {
  EnvelopeData d = DefaultEditorEnvelope();
  d.sustain_node = NODE_OFF;
  return d;
}
