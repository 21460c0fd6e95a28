#include "svf_fixture.h"

SEProcessEntry EntryForChoice(int16_t choice) {
  switch (choice) {
    case 0:
      return ProcessOf<&Module::ProcessFilter<SvfForm::LOW>>().function;
    case 1:
      return ProcessOf<&Module::ProcessFilter<SvfForm::HIGH>>().function;
    case 2:
      return ProcessOf<&Module::ProcessFilter<SvfForm::BAND>>().function;
    case 3:
      return ProcessOf<&Module::ProcessFilter<SvfForm::NOTCH>>().function;
    case 4:
      return ProcessOf<&Module::ProcessFilter<SvfForm::PEAK_A>>().function;
    case 5:
      return ProcessOf<&Module::ProcessFilter<SvfForm::PEAK_B>>().function;
    case 6:
      return ProcessOf<&Module::ProcessBypass>().function;
    case 7:
      return ProcessOf<&Module::ProcessOff>().function;
    default:
      return nullptr;
  }
}

SvfDriver::SvfDriver(int32_t block_size_, int32_t version)
    : block_size(block_size_),
      input(block_size_, 0.0f),
      cutoff(block_size_, 0.5f),
      resonance(block_size_, 0.0f),
      output(block_size_, 0.0f),
      gate(block_size_, 0.0f) {
  host.version = version;
  host.pin_count = 10;
  module = new Module(&FakeHost::Callback, nullptr);
  SEModuleRecord* record = module->Record();
  record->dispatcher(record, MOD_SET_SAMPLE_RATE, 0, 0, nullptr, 44100.0f);
  record->dispatcher(record, MOD_SET_BLOCK_SIZE, 0, block_size, nullptr, 0.0f);
  float* buffers[10] = {input.data(), cutoff.data(), resonance.data(), output.data(), nullptr,
                        nullptr,      nullptr,       nullptr,          nullptr,       gate.data()};
  const int16_t defaults[10] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0};
  for (int32_t i = 0; i < 10; ++i) {
    SEPinProperties p{};
    record->dispatcher(record, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0.0f);
    variables[i] = p.variable_address;
    if (!p.variable_address) continue;
    if (p.datatype == DT_FSAMPLE)
      *static_cast<float**>(p.variable_address) = buffers[i];
    else
      *static_cast<int16_t*>(p.variable_address) = defaults[i];
  }
}

SvfDriver::~SvfDriver() {
  SEModuleRecord* record = module->Record();
  record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f);
}

void SvfDriver::Start(int16_t active, int16_t choice) {
  SEModuleRecord* record = module->Record();
  record->dispatcher(record, MOD_OPEN, 0, 0, nullptr, 0.0f);
  *static_cast<int16_t*>(variables[Module::PIN_CHOICE]) = choice;
  *static_cast<int16_t*>(variables[Module::PIN_ACTIVE]) = active;
  for (int32_t pin = 0; pin < 10; ++pin) SetStatus(pin, PS_STATIC);
}

void SvfDriver::SetEnum(int32_t pin, int16_t value) {
  *static_cast<int16_t*>(variables[pin]) = value;
  SetStatus(pin, PS_ONE_CHANGE);
}

void SvfDriver::SetStatus(int32_t pin, int32_t status) {
  host.block_start = clock - (clock % block_size);
  DeliverStatus(host, module->Record(), clock, pin, status);
}

void SvfDriver::Reset() {
  SEModuleRecord* record = module->Record();
  record->dispatcher(record, MOD_RESET, 0, 0, nullptr, 0.0f);
}

void SvfDriver::Process(int32_t start, int32_t count) {
  host.sample_clock = clock;
  SEModuleRecord* record = module->Record();
  record->process(record->object, start, count);
  clock += count;
}

void SvfDriver::Fill(std::vector<float>& buffer, float value) {
  for (float& v : buffer) v = value;
}

void SvfDriver::Load(std::vector<float>& buffer, const std::vector<float>& values) {
  for (size_t i = 0; i < buffer.size() && i < values.size(); ++i) buffer[i] = values[i];
}

std::vector<std::pair<int32_t, int32_t>> SvfDriver::OutputStatuses() const {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (const HostCall& c : host.CallsOf(HOST_PIN_STATUS))
    if (c.index == Module::PIN_OUTPUT) out.emplace_back(c.PtrValue(), c.value);
  return out;
}
