#include "osc_rig.h"

#include <cstring>

#include "wave_tables.h"

namespace {
OscRig* g_rig = nullptr;
void CountAssertion(const char*, const char*, int32_t) {
  if (g_rig) ++g_rig->assertions;
}
}  // namespace

OscRig::OscRig(int32_t block, float sample_rate)
    : block_size(block),
      m_module(new Module(&FakeHost::Callback, nullptr)),
      m_previous_handler(SetAssertHandler(&CountAssertion)) {
  g_rig = this;
  host.pin_count = OSC_PIN_COUNT;
  for (int32_t pin = 0; pin < OSC_PIN_COUNT; ++pin) {
    SEPinProperties p;
    std::memset(&p, 0, sizeof p);
    m_module->GetPinProperties(pin, &p);
    if (p.datatype != DT_FSAMPLE) continue;
    m_buffers[pin].assign(block_size, 0.0f);
    *static_cast<float**>(p.variable_address) = m_buffers[pin].data();
    host.buffers[pin] = m_buffers[pin].data();
  }
  m_module->Record()->dispatcher(record(), MOD_SET_SAMPLE_RATE, 0, 0, nullptr, sample_rate);
  m_module->Record()->dispatcher(record(), MOD_SET_BLOCK_SIZE, 0, block_size, nullptr, 0.0f);
}

OscRig::~OscRig() {
  record()->dispatcher(record(), MOD_CLOSE, 0, 0, nullptr, 0.0f);
  SetAssertHandler(m_previous_handler);
  g_rig = nullptr;
}

void* OscRig::Variable(int32_t pin) {
  SEPinProperties p;
  std::memset(&p, 0, sizeof p);
  m_module->GetPinProperties(pin, &p);
  return p.variable_address;
}

void OscRig::Open(bool link_connected) {
  host.connected[PIN_LINK] = link_connected ? 1 : 0;
  record()->dispatcher(record(), MOD_OPEN, 0, 0, nullptr, 0.0f);
}

int32_t OscRig::DirectoryLink() const {
  static float work[TABLE_HARMONICS];
  return LinkFromDirectory(EnsureWaveTables(work));
}

void OscRig::StartLinked(bool active) {
  SetLink(DirectoryLink());
  SetAudio(PIN_PITCH, 0.5f);
  SetAudio(PIN_PITCH_ADJUST, 0.0f);
  SetAudio(PIN_PITCH_REF, 0.5f);
  SetAudio(PIN_PHASE, 0.0f);
  SetAudio(PIN_SYNC, 0.0f);
  SetEnum(PIN_SYNC_ACCURACY, 1);
  SetEnum(PIN_WAVEFORM, 0);
  SetEnum(PIN_WAVE_QUALITY, 1);
  SetEnum(PIN_HARMONICS, 511);
  SetAudio(PIN_FREQ_LIMIT, 2200.0f);
  SetEnum(PIN_LIMIT_SYSTEM, 1);
  SetEnum(PIN_PITCH_MODE, 0);
  SetEnum(PIN_PITCHMOD_ACCURACY, 1);
  SetEnum(PIN_HOLD, 0);
  SetEnum(PIN_ACTIVE, active ? 1 : 0);
}

void OscRig::Deliver(int32_t pin, int32_t status) {
  DeliverStatus(host, record(), host.sample_clock, pin, status);
}

void OscRig::SetEnum(int32_t pin, int16_t value, int32_t status) {
  *static_cast<int16_t*>(Variable(pin)) = value;
  Deliver(pin, status);
}

void OscRig::Fill(int32_t pin, float value, int32_t from) {
  for (int32_t k = from; k < block_size; ++k) m_buffers[pin][k] = value;
}

void OscRig::SetAudio(int32_t pin, float value, int32_t status) {
  Fill(pin, value, host.sample_clock - host.block_start);
  Deliver(pin, status);
}

void OscRig::SetLink(int32_t value) {
  *static_cast<int32_t*>(Variable(PIN_LINK)) = value;
  Deliver(PIN_LINK, PS_ONE_CHANGE);
}

void OscRig::Run(int32_t start, int32_t count) {
  host.sample_clock = host.block_start + start;
  record()->process(record()->object, start, count);
  host.sample_clock = host.block_start + start + count;
}

void OscRig::NextBlock() {
  host.block_start += block_size;
  host.sample_clock = host.block_start;
}
