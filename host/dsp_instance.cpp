#include "dsp_instance.h"

#include <algorithm>
#include <cstring>

#include "host_error.h"

namespace modhost {

namespace {

// Pointers cross the callback as 32-bit integers on this target.
int32_t AsInt(const void* address) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(address));
}

}  // namespace

DspInstance::DspInstance(std::shared_ptr<ModuleLibrary> library, DspRouter* router,
                         std::string name, int32_t voice, int32_t extra_pins)
    : m_library(std::move(library)), m_router(router), m_name(std::move(name)), m_voice(voice) {
  m_record = m_library->MakeDsp(&DspInstance::Callback, this);
  if (!m_record || m_record->magic != SE_MODULE_MAGIC || !m_record->dispatcher) {
    m_record = nullptr;
    throw HostError("module " + m_name + ": makeModule gave no DSP object");
  }
  m_process = m_record->process;
  m_declarations = ReadPinTable(m_record);
  if (m_declarations.empty()) {
    Close();
    throw HostError("module " + m_name + " shows no pins at host version " +
                    std::to_string(m_router->HostVersion()));
  }

  AppendRepeatedPins(&m_declarations, extra_pins);
  int32_t dsp_count = 0;
  for (const auto& pin : m_declarations) dsp_count += pin.IsDsp() ? 1 : 0;

  m_pins.resize(dsp_count);
  for (const auto& pin : m_declarations) {
    if (pin.dsp_index < 0) continue;
    DspPin& slot = m_pins[pin.dsp_index];
    slot.declaration = &pin;
    slot.value = DefaultValue(pin);
    slot.constant = pin.datatype == DT_FSAMPLE ? slot.value.f : 0.0f;
  }
}

DspInstance::~DspInstance() { Close(); }

void DspInstance::Close() {
  if (!m_record) return;
  SEModuleRecord* record = m_record;
  m_record = nullptr;
  record->dispatcher(record, MOD_CLOSE, 0, 0, nullptr, 0.0f);
}

void DspInstance::AllocateBuffers(int32_t block_size) {
  m_block_size = block_size;
  for (auto& pin : m_pins) {
    if (pin.declaration->datatype != DT_FSAMPLE) continue;
    pin.own_buffer.assign(static_cast<size_t>(block_size), 0.0f);
    pin.buffer = pin.own_buffer.data();
    if (pin.declaration->IsInput()) {
      std::fill(pin.own_buffer.begin(), pin.own_buffer.end(), pin.constant);
      pin.buffer_holds_constant = true;
    }
  }
  for (size_t i = 0; i < m_pins.size(); ++i) WriteValue(static_cast<int32_t>(i), m_pins[i].value);
}

void DspInstance::BindBuffer(int32_t pin, float* buffer) {
  DspPin& slot = m_pins[pin];
  slot.buffer = buffer;
  slot.buffer_holds_constant = false;
  if (slot.declaration->variable_address) {
    *static_cast<float**>(slot.declaration->variable_address) = buffer;
  }
}

void DspInstance::SetInitialValue(int32_t pin, const RawValue& value) {
  DspPin& slot = m_pins[pin];
  slot.value = value;
  if (slot.declaration->datatype == DT_FSAMPLE) {
    slot.constant = value.f;
    slot.buffer_holds_constant = false;
  }
  WriteValue(pin, value);
}

void DspInstance::WriteValue(int32_t pin, const RawValue& value) {
  DspPin& slot = m_pins[pin];
  slot.value = value;
  void* variable = slot.declaration->variable_address;
  switch (slot.declaration->datatype) {
    case DT_FSAMPLE:
      if (variable && slot.buffer) *static_cast<float**>(variable) = slot.buffer;
      return;
    case DT_ENUM:
      if (variable) *static_cast<int16_t*>(variable) = static_cast<int16_t>(value.i);
      return;
    case DT_BOOL:
      if (variable) *static_cast<uint8_t*>(variable) = static_cast<uint8_t>(value.i != 0);
      return;
    case DT_FLOAT:
      if (variable) *static_cast<float*>(variable) = value.f;
      return;
    case DT_INT:
      if (variable) *static_cast<int32_t*>(variable) = value.i;
      return;
    case DT_TEXT:
      // The module keeps a char* to the host's current text.
      slot.text.assign(value.text.begin(), value.text.end());
      slot.text.push_back('\0');
      if (variable) *static_cast<char**>(variable) = slot.text.data();
      return;
    default:
      return;
  }
}

RawValue DspInstance::ReadOutput(int32_t pin) const {
  const DspPin& slot = m_pins[pin];
  RawValue value = slot.value;
  const void* variable = slot.declaration->variable_address;
  if (!variable) return value;
  switch (slot.declaration->datatype) {
    case DT_ENUM:
      value.i = *static_cast<const int16_t*>(variable);
      break;
    case DT_BOOL:
      value.i = *static_cast<const uint8_t*>(variable);
      break;
    case DT_FLOAT:
      value.f = *static_cast<const float*>(variable);
      break;
    case DT_INT:
      value.i = *static_cast<const int32_t*>(variable);
      break;
    case DT_TEXT: {
      const char* text = *static_cast<char* const*>(variable);
      value.text = text ? text : "";
      break;
    }
    default:
      break;
  }
  return value;
}

void DspInstance::Open(float sample_rate, int32_t block_size) {
  m_clock = 0;
  Dispatch(MOD_SET_SAMPLE_RATE, 0, 0, nullptr, sample_rate);
  Dispatch(MOD_SET_BLOCK_SIZE, 0, block_size, nullptr, 0.0f);
  Dispatch(MOD_OPEN, 0, 0, nullptr, 0.0f);
  m_process = m_record ? m_record->process : nullptr;
  m_open = true;
}

int32_t DspInstance::Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
  if (!m_record) return 0;
  Observation entry{ObservationKind::Dispatch, m_clock};
  entry.opcode = opcode;
  entry.index = index;
  entry.value = value;
  entry.ptr = reinterpret_cast<uintptr_t>(ptr);
  entry.opt = opt;
  m_log.Add(entry);
  return m_record->dispatcher(m_record, opcode, index, value, ptr, opt);
}

void DspInstance::Queue(const PendingEvent& event) {
  // Most events arrive in time order: appending is the common case.
  if (m_queue.empty() || m_queue.back().time <= event.time) {
    m_queue.push_back(event);
    return;
  }
  auto at =
      std::upper_bound(m_queue.begin(), m_queue.end(), event.time,
                       [](int32_t time, const PendingEvent& queued) { return time < queued.time; });
  m_queue.insert(at, event);
}

bool DspInstance::HasQueuedStatus(int32_t pin) const {
  for (const auto& event : m_queue) {
    if (event.kind == PendingKind::Status && event.pin == pin) return true;
  }
  return false;
}

void DspInstance::FillConstant(DspPin& pin, int32_t from) {
  std::fill(pin.buffer + from, pin.buffer + m_block_size, pin.constant);
}

void DspInstance::BeginBlock(int32_t block_start, int32_t block_size) {
  m_block_start = block_start;
  m_block_size = block_size;
  m_clock = block_start;
  for (auto& pin : m_pins) {
    if (pin.declaration->datatype != DT_FSAMPLE || !pin.declaration->IsInput()) continue;
    if (pin.stream) {
      const auto& samples = *pin.stream;
      for (int32_t k = 0; k < block_size; ++k) {
        const int64_t at = static_cast<int64_t>(block_start) + k;
        pin.buffer[k] = at < static_cast<int64_t>(samples.size()) ? samples[at] : 0.0f;
      }
    } else if (!pin.connected && !pin.buffer_holds_constant) {
      FillConstant(pin, 0);
      pin.buffer_holds_constant = true;
    }
  }
}

void DspInstance::Deliver(const PendingEvent& event) {
  // An event whose time has passed takes effect now, stamped with now.
  SETimedEvent record{};
  record.time_stamp = m_clock;
  switch (event.kind) {
    case PendingKind::Status: {
      if (event.pin < 0 || event.pin >= static_cast<int32_t>(m_pins.size())) return;
      DspPin& pin = m_pins[event.pin];
      if (event.write_value) {
        if (pin.declaration->datatype == DT_FSAMPLE) {
          if (!pin.connected && !pin.stream) {
            pin.constant = event.value.f;
            pin.value = event.value;
            FillConstant(pin, m_clock - m_block_start);
            pin.buffer_holds_constant = false;
          }
        } else {
          WriteValue(event.pin, event.value);
        }
      }
      pin.status = event.status;
      record.event_type = EV_PIN_STATUS;
      record.param1 = event.status;
      record.param3 = event.pin;
      break;
    }
    case PendingKind::EventReset:
      record.event_type = EV_RESET;
      break;
    case PendingKind::ModReset:
      Dispatch(MOD_RESET, event.index, 0, nullptr, 0.0f);
      m_sleeping = false;
      return;
    case PendingKind::Notify:
      Dispatch(MOD_NOTIFY, event.index, event.param, event.ptr, 0.0f);
      m_sleeping = false;
      return;
  }
  m_sleeping = false;
  Observation entry{ObservationKind::Event, m_clock};
  entry.event = record;
  m_log.Add(entry);
  if (m_record && m_record->event) m_record->event(m_record->object, &record);
}

void DspInstance::RunRange(int32_t from, int32_t to) {
  int32_t now = from;
  while (now < to) {
    m_clock = now;
    while (!m_queue.empty() && m_queue.front().time <= now) {
      const PendingEvent event = m_queue.front();
      m_queue.pop_front();
      Deliver(event);
    }
    int32_t next = to;
    if (!m_queue.empty() && m_queue.front().time < next) next = m_queue.front().time;
    if (!m_sleeping && m_process && m_record) {
      m_clock = now;
      Observation entry{ObservationKind::Process, now};
      entry.start = now - m_block_start;
      entry.count = next - now;
      m_log.Add(entry);
      m_process(m_record->object, now - m_block_start, next - now);
    }
    now = next;
  }
  m_clock = to;
}

int32_t DspInstance::Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                              float opt) {
  if (!record) return 0;
  auto* self = static_cast<DspInstance*>(static_cast<SEModuleRecord*>(record)->host_context);
  if (!self || (self->m_record && self->m_record != record)) return 0;
  return self->m_log.AnswerHostCall(self->CallClock(), opcode, index, value, ptr, opt,
                                    [&] { return self->Answer(opcode, index, value, ptr, opt); });
}

int32_t DspInstance::Answer(int32_t opcode, int32_t index, int32_t value, void* ptr, float) {
  const bool valid_pin = index >= 0 && index < static_cast<int32_t>(m_pins.size());
  switch (opcode) {
    case HOST_PIN_STATUS:
      if (valid_pin) {
        m_pins[index].status = value;
        m_router->OnTransmit(*this, index, value, AsInt(ptr));
      }
      return 0;
    case HOST_PIN_CONNECTED:
      return valid_pin && m_pins[index].connected ? 1 : 0;
    case HOST_SAMPLE_CLOCK:
      return m_clock;
    case HOST_PIN_BUFFER:
      return valid_pin ? AsInt(m_pins[index].buffer) : 0;
    case HOST_PIN_BLOCK_START:
      return m_block_start;
    case HOST_SLEEP:
      m_sleeping = true;
      return 0;
    case HOST_FIRST_CLONE:
    case HOST_NEXT_CLONE: {
      if (!ptr) return 0;
      SEModuleRecord* clone =
          opcode == HOST_FIRST_CLONE ? m_router->FirstClone(*this) : m_router->NextClone(*this);
      *static_cast<SEModuleRecord**>(ptr) = clone;
      return AsInt(clone);
    }
    case HOST_PIN_COUNT:
      return static_cast<int32_t>(m_pins.size());
    case HOST_SEND_TO_GUI:
      m_router->OnSendToGui(*this, index, value, ptr);
      return 0;
    case HOST_PROCESS_CHANGED:
      if (m_record) m_process = m_record->process;
      return 0;
    case HOST_VERSION:
      return m_router->HostVersion();
    default:
      return 0;
  }
}

}  // namespace modhost
