// One envelope: nine nodes joined by eight stages, each stage with its own
// end level, duration and curve shape. Shared by the DSP object and the editor.
#pragma once

#include <cstdint>

constexpr int32_t ENV_STAGES = 8;
constexpr int32_t ENV_COUNT = 8;  // envelopes per module, one "ES" pin each
constexpr int32_t NODE_OFF = -1;  // sustain or repeat switched off
constexpr int32_t REPEAT_START = 0;

struct EnvelopeData {
  int32_t sustain_node;     // NODE_OFF or 1..7
  int32_t repeat_node;      // NODE_OFF, REPEAT_START or 1..6
  float start_level;        // level of node 0
  float level[ENV_STAGES];  // level[i] is the level of node i+1
  float time[ENV_STAGES];   // time[i] is the duration of stage i+1
  int16_t shape[ENV_STAGES];
  int32_t active_stages;  // 1..8
  int32_t amp_mode;       // editor only
  float min_level;        // editor only
  float max_level;        // editor only
};

// What the DSP object plays before any text has been decoded.
EnvelopeData StartupEnvelope();

// What the editor puts into an envelope whose text is empty.
EnvelopeData DefaultEditorEnvelope();

// Makes data from a foreign text safe to play: every field that selects an
// array element or a node is brought into its list, so the engine never
// indexes outside the envelope. Valid data is left as it is.
void MakePlayable(EnvelopeData& data);
