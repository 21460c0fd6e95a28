#include "env_rig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "envelope_text.h"
#include "reference_shapes.h"

namespace {
EnvRig* g_rig = nullptr;
}

EnvRig::EnvRig(const RigOptions& options) : m_options(options), m_voices(options.voices) {
  // The fake host routes every module's calls to the newest host: two rigs
  // alive at once would answer each other's modules.
  if (g_rig != nullptr) {
    std::fprintf(stderr, "EnvRig: one rig at a time\n");
    std::abort();
  }
  g_rig = this;
  m_host.pin_count = PN_DSP_PIN_COUNT;
  m_host.version = options.version;
  m_host.handler = [this](const HostCall& call, int32_t& result) { return Answer(call, result); };
  for (VoiceState& v : m_voices) {
    v.gate.assign(options.length, 0.0f);
    v.time_scaler.assign(options.length, 0.256f);
    v.level_scaler.assign(options.length, 1.0f);
    v.gate_buf.assign(options.block_size, 0.0f);
    v.time_buf.assign(options.block_size, 0.0f);
    v.level_buf.assign(options.block_size, 0.0f);
    v.out_buf.assign(options.block_size, 0.0f);
    v.recorded.assign(options.length, 0.0f);
  }
}

EnvRig::~EnvRig() {
  for (VoiceState& v : m_voices) {
    if (!v.module) continue;
    SEModuleRecord* record = v.module->Record();
    record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f);
  }
  g_rig = nullptr;
}

int32_t EnvRig::VoiceOf(const void* record) const {
  for (size_t i = 0; i < m_voices.size(); ++i)
    if (m_voices[i].module && m_voices[i].module->Record() == record)
      return static_cast<int32_t>(i);
  return -1;
}

bool EnvRig::Answer(const HostCall& call, int32_t& result) {
  const int32_t voice = VoiceOf(call.record);
  if (m_options.record_calls) m_calls.push_back(TimedCall{m_clock, voice, call});
  switch (call.opcode) {
    case HOST_SAMPLE_CLOCK:
      result = m_clock;
      return true;
    case HOST_PIN_BLOCK_START:
      result = m_block_start;
      return true;
    case HOST_SLEEP:
      if (m_options.honour_sleep && voice >= 0) m_voices[voice].sleeping = true;
      result = 0;
      return true;
    case HOST_FIRST_CLONE:
      *static_cast<SEModuleRecord**>(call.ptr) = m_voices[0].module->Record();
      result = 0;
      return true;
    case HOST_NEXT_CLONE: {
      const size_t next = static_cast<size_t>(voice + 1);
      *static_cast<SEModuleRecord**>(call.ptr) =
          voice >= 0 && next < m_voices.size() ? m_voices[next].module->Record() : nullptr;
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

void EnvRig::Open() {
  for (VoiceState& v : m_voices) {
    v.module = new Module(&FakeHost::Callback, nullptr);
    SEModuleRecord* record = v.module->Record();
    for (int32_t i = 0; i < PN_PIN_COUNT; ++i) {
      SEPinProperties p{};
      if (!record->dispatcher(record, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0.0f)) break;
      void* var = p.variable_address;
      if (var == nullptr) continue;
      if (i < ENV_COUNT) *static_cast<const char**>(var) = v.texts[i].c_str();
      if (i == PN_GATE) *static_cast<float**>(var) = v.gate_buf.data();
      if (i == PN_TIME_SCALER) *static_cast<float**>(var) = v.time_buf.data();
      if (i == PN_LEVEL_SCALER) *static_cast<float**>(var) = v.level_buf.data();
      if (i == PN_OUT) *static_cast<float**>(var) = v.out_buf.data();
    }
    record->dispatcher(record, MOD_SET_SAMPLE_RATE, 0, 0, nullptr, m_options.sample_rate);
    record->dispatcher(record, MOD_SET_BLOCK_SIZE, 0, m_options.block_size, nullptr, 0.0f);
    record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
  }
}

namespace {
void* VariableOf(Module& m, int32_t pin) {
  SEPinProperties p{};
  m.GetPinProperties(pin, &p);
  return p.variable_address;
}
}  // namespace

void EnvRig::ForVoices(int32_t voice, const std::function<void(int32_t)>& f) {
  if (voice >= 0) {
    f(voice);
    return;
  }
  for (size_t i = 0; i < m_voices.size(); ++i) f(static_cast<int32_t>(i));
}

void EnvRig::At(int32_t time, std::function<void()> action) {
  m_pending.push_back(Pending{time, m_order++, std::move(action)});
  std::stable_sort(m_pending.begin(), m_pending.end(), [](const Pending& a, const Pending& b) {
    return a.time != b.time ? a.time < b.time : a.order < b.order;
  });
}

void EnvRig::Status(int32_t time, int32_t voice, int32_t pin, int32_t status) {
  At(time, [this, voice, pin, status]() {
    VoiceState& v = m_voices[voice];
    v.sleeping = false;
    m_host.sample_clock = m_clock;
    SETimedEvent event{m_clock, EV_PIN_STATUS, status, 0, pin};
    SEModuleRecord* record = v.module->Record();
    record->event(record->object, &event);
  });
}

void EnvRig::Fill(std::vector<float>& signal, int32_t time, float value) {
  for (size_t i = std::max(time, 0); i < signal.size(); ++i) signal[i] = value;
}

void EnvRig::Lay(std::vector<float>& signal, int32_t time, const std::vector<float>& samples) {
  for (size_t i = 0; i < samples.size() && time + i < signal.size(); ++i)
    signal[time + i] = samples[i];
  if (!samples.empty()) Fill(signal, time + static_cast<int32_t>(samples.size()), samples.back());
}

void EnvRig::Start(const EnvelopeData& env) {
  ForVoices(-1, [&](int32_t v) {
    Module& m = *m_voices[v].module;
    m_voices[v].texts[0] = EncodeEnvelope(env).c_str();
    *static_cast<const char**>(VariableOf(m, 0)) = m_voices[v].texts[0].c_str();
    const int16_t enums[][2] = {{PN_ENV_SELECT, 0},     {PN_FOLLOW_GUI, 1},  {PN_TIME_MODE, 1},
                                {PN_RETRIGGER_MODE, 0}, {PN_REPEAT_MODE, 0}, {PN_GATE_MODE, 0},
                                {PN_FAST_GATE, 0},      {PN_ACTIVE, 1}};
    for (const auto& e : enums) *static_cast<int16_t*>(VariableOf(m, e[0])) = e[1];
    for (int32_t pin = 0; pin < PN_DSP_PIN_COUNT; ++pin)
      if (pin != PN_OUT) Status(0, v, pin, PS_ONE_CHANGE);
  });
}

void EnvRig::Gate(int32_t time, float value, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    Fill(m_voices[v].gate, time, value);
    Status(time, v, PN_GATE, PS_ONE_CHANGE);
  });
}

void EnvRig::GateStream(int32_t time, const std::vector<float>& samples, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    Lay(m_voices[v].gate, time, samples);
    Status(time, v, PN_GATE, PS_STREAMING);
  });
}

void EnvRig::LevelScaler(int32_t time, float value, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    Fill(m_voices[v].level_scaler, time, value);
    Status(time, v, PN_LEVEL_SCALER, PS_ONE_CHANGE);
  });
}

void EnvRig::LevelStream(int32_t time, const std::vector<float>& samples, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    Lay(m_voices[v].level_scaler, time, samples);
    Status(time, v, PN_LEVEL_SCALER, PS_STREAMING);
  });
}

void EnvRig::TimeScaler(int32_t time, float value, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    Fill(m_voices[v].time_scaler, time, value);
    Status(time, v, PN_TIME_SCALER, PS_ONE_CHANGE);
  });
}

void EnvRig::Enum(int32_t time, int32_t pin, int16_t value, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    At(time, [this, v, pin, value]() {
      *static_cast<int16_t*>(VariableOf(*m_voices[v].module, pin)) = value;
    });
    Status(time, v, pin, PS_ONE_CHANGE);
  });
}

void EnvRig::Text(int32_t time, int32_t n, const std::string& text, int32_t voice) {
  ForVoices(voice, [&](int32_t v) {
    At(time, [this, v, n, text]() {
      m_voices[v].texts[n] = text;
      *static_cast<const char**>(VariableOf(*m_voices[v].module, n)) = m_voices[v].texts[n].c_str();
    });
    Status(time, v, n, PS_ONE_CHANGE);
  });
}

void EnvRig::Envelope(int32_t time, int32_t n, const EnvelopeData& env, int32_t voice) {
  Text(time, n, EncodeEnvelope(env).c_str(), voice);
}

void EnvRig::Notify(int32_t time, int32_t value, int32_t voice) {
  At(time, [this, value, voice]() {
    SEModuleRecord* record = m_voices[voice].module->Record();
    m_voices[voice].sleeping = false;
    record->dispatcher(record, MOD_NOTIFY, 0, value, nullptr, 0.0f);
  });
}

void EnvRig::ResetEvent(int32_t time) {
  At(time, [this]() {
    for (VoiceState& v : m_voices) {
      v.sleeping = false;
      m_host.sample_clock = m_clock;
      SETimedEvent event{m_clock, EV_RESET, 0, 0, 0};
      SEModuleRecord* record = v.module->Record();
      record->event(record->object, &event);
    }
  });
}

void EnvRig::Run(int32_t until) {
  until = std::min(until, m_options.length);
  const int32_t b = m_options.block_size;
  while (m_clock < until) {
    m_block_start = m_clock - m_clock % b;
    m_host.block_start = m_block_start;
    for (VoiceState& v : m_voices) {
      for (int32_t i = 0; i < b && m_block_start + i < m_options.length; ++i) {
        v.gate_buf[i] = v.gate[m_block_start + i];
        v.time_buf[i] = v.time_scaler[m_block_start + i];
        v.level_buf[i] = v.level_scaler[m_block_start + i];
      }
    }
    while (!m_pending.empty() && m_pending.front().time <= m_clock) {
      Pending p = std::move(m_pending.front());
      m_pending.erase(m_pending.begin());
      p.action();
    }
    int32_t next = std::min(m_block_start + b, until);
    if (!m_pending.empty()) next = std::min(next, m_pending.front().time);
    const int32_t from = m_clock - m_block_start;
    for (VoiceState& v : m_voices) {
      if (!v.sleeping) {
        SEModuleRecord* record = v.module->Record();
        m_host.sample_clock = m_clock;
        record->process(record->object, from, next - m_clock);
        v.process_calls.push_back({m_clock, next - m_clock});
      }
      for (int32_t t = m_clock; t < next; ++t) v.recorded[t] = v.out_buf[t - m_block_start];
    }
    m_clock = next;
  }
}

std::vector<TimedCall> EnvRig::Calls(int32_t opcode, int32_t voice) const {
  std::vector<TimedCall> out;
  for (const TimedCall& c : m_calls)
    if (c.call.opcode == opcode && c.voice == voice) out.push_back(c);
  return out;
}

std::vector<std::pair<int32_t, int32_t>> EnvRig::Transmissions(int32_t voice) const {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (const TimedCall& c : Calls(HOST_PIN_STATUS, voice))
    if (c.call.index == PN_OUT) out.push_back({c.call.PtrValue(), c.call.value});
  return out;
}

float StageSample(int32_t shape, float start, float end, int32_t k, int32_t n) {
  const float delta = end - start;
  if (shape == 13) return end;
  return static_cast<float>(start + delta * ReferenceShape(shape, static_cast<double>(k) / n));
}
