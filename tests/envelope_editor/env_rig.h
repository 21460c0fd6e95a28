// A small host for driving envelope DSP objects directly: one or more voices
// (a clone group) run block by block in lockstep, input signals are laid out
// over the whole run, and pin statuses, resets and notifications are
// delivered at exact samples by splitting the process calls. Every host call
// is recorded with the sample at which it was made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "envelope_data.h"
#include "fake_host.h"
#include "module.h"

struct TimedCall {
  int32_t time;
  int32_t voice;
  HostCall call;
};

struct RigOptions {
  int32_t voices = 1;
  float sample_rate = 10000.0f;
  int32_t block_size = 50;
  int32_t length = 1000;  // samples of input signals and recorded output
  int32_t version = 200000;
  bool honour_sleep = false;
  bool record_calls = true;  // off for benchmarks, which make millions
};

class EnvRig {
 public:
  explicit EnvRig(const RigOptions& options = RigOptions());
  ~EnvRig();

  // Makes, configures and opens every voice.
  void Open();
  // Writes the usual set-up (envelope 1 = `env`, "Time(ms)", time scaler
  // 0.256 so that a time of 0.125 lasts 32 samples, level scaler 1.0, gate
  // low, "Active" ON) and queues a status for every input pin at time 0, in
  // pin order, as a host does after Open.
  void Start(const EnvelopeData& env);

  // Value changes with their statuses, at absolute sample times.
  void Gate(int32_t time, float value, int32_t voice = -1);
  void GateStream(int32_t time, const std::vector<float>& samples, int32_t voice = -1);
  void LevelScaler(int32_t time, float value, int32_t voice = -1);
  void LevelStream(int32_t time, const std::vector<float>& samples, int32_t voice = -1);
  void TimeScaler(int32_t time, float value, int32_t voice = -1);
  void Enum(int32_t time, int32_t pin, int16_t value, int32_t voice = -1);
  void Text(int32_t time, int32_t n, const std::string& text, int32_t voice = -1);
  void Envelope(int32_t time, int32_t n, const EnvelopeData& env, int32_t voice = -1);
  // Editor notification through the dispatcher, to one voice.
  void Notify(int32_t time, int32_t value, int32_t voice);
  // EV_RESET event to every voice.
  void ResetEvent(int32_t time);
  // Anything else at a given time, before the process call from that sample.
  void At(int32_t time, std::function<void()> action);

  // Processes up to absolute sample `until` (at most the run length).
  void Run(int32_t until);
  void RunAll() { Run(m_options.length); }

  Module& Voice(int32_t v = 0) { return *m_voices[v].module; }
  const std::vector<float>& Out(int32_t v = 0) const { return m_voices[v].recorded; }
  std::vector<TimedCall> Calls(int32_t opcode, int32_t voice = 0) const;
  // (time stamp, status) of every "Env.Out" transmission.
  std::vector<std::pair<int32_t, int32_t>> Transmissions(int32_t voice = 0) const;
  int32_t Now() const { return m_clock; }
  FakeHost& Host() { return m_host; }
  // How many process calls each voice received, with their ranges.
  const std::vector<std::pair<int32_t, int32_t>>& ProcessCalls(int32_t v = 0) const {
    return m_voices[v].process_calls;
  }

 private:
  struct VoiceState {
    Module* module = nullptr;
    std::vector<float> gate, time_scaler, level_scaler;  // whole-run signals
    std::vector<float> gate_buf, time_buf, level_buf, out_buf;
    std::vector<float> recorded;
    std::string texts[ENV_COUNT];
    bool sleeping = false;
    std::vector<std::pair<int32_t, int32_t>> process_calls;
  };
  struct Pending {
    int32_t time;
    int32_t order;
    std::function<void()> action;
  };

  bool Answer(const HostCall& call, int32_t& result);
  int32_t VoiceOf(const void* record) const;
  void ForVoices(int32_t voice, const std::function<void(int32_t)>& f);
  void Status(int32_t time, int32_t voice, int32_t pin, int32_t status);
  void Fill(std::vector<float>& signal, int32_t time, float value);
  void Lay(std::vector<float>& signal, int32_t time, const std::vector<float>& samples);

  RigOptions m_options;
  FakeHost m_host;
  std::vector<VoiceState> m_voices;
  std::vector<Pending> m_pending;
  std::vector<TimedCall> m_calls;
  int32_t m_order = 0;
  int32_t m_clock = 0;
  int32_t m_block_start = 0;
};

// Reference sample k of a stage of n samples: start + delta * f(k / n),
// rounded to float.
float StageSample(int32_t shape, float start, float end, int32_t k, int32_t n);
