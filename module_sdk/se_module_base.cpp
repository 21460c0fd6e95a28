#include "se_module_base.h"

#include <cstring>
#include <new>

#include "se_assert.h"

namespace {

constexpr const char* SOURCE = "SEModule_base";

// Reply block of MOD_GET_PROCESS_INFO, shared by every instance of the library
// and rewritten on each request.
int32_t g_process_info[4];

}  // namespace

SEModule_base::SEModule_base(SEHostCallback callback, void* host_context)
    : m_sample_rate(44100.0f),
      m_block_size(1024),
      m_pins(nullptr),
      m_callback(callback),
      m_process{&SEModule_base::ProcessNothing, 0, 0},
      m_pin_count(0) {
  std::memset(&m_record, 0, sizeof m_record);
  m_record.magic = SE_MODULE_MAGIC;
  m_record.version = 1;
  m_record.host_context = host_context;
  m_record.object = this;
  m_record.dispatcher = &SEModule_base::DispatcherEntry;
  m_record.process = m_process.function;
  m_record.event = &SEModule_base::EventEntry;
  m_detached_pin.Init(this, -1, DT_ENUM, nullptr);
}

SEModule_base::~SEModule_base() { delete[] m_pins; }

void SEModule_base::ProcessNothing(void*, int32_t, int32_t) {}

int32_t SEModule_base::DispatcherEntry(SEModuleRecord* record, int32_t opcode, int32_t index,
                                       int32_t value, void* ptr, float opt) {
  SEModule_base* module = ModuleFromRecord(record);
  return module ? module->Dispatch(opcode, index, value, ptr, opt) : 0;
}

void SEModule_base::EventEntry(void* object, SETimedEvent* event) {
  if (object && event) static_cast<SEModule_base*>(object)->DeliverEvent(event);
}

int32_t SEModule_base::CallHost(int32_t opcode, int32_t index, int32_t value, void* ptr,
                                float opt) {
  return m_callback ? m_callback(&m_record, opcode, index, value, ptr, opt) : 0;
}

int32_t SEModule_base::Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr,
                                float opt) {
  switch (opcode) {
    case MOD_OPEN:
      Open();
      return 0;
    case MOD_CLOSE:
      Close();
      delete this;
      return 1;
    case MOD_SET_SAMPLE_RATE:
      SetSampleRate(opt);
      return 0;
    case MOD_SET_BLOCK_SIZE:
      SetBlockSize(value);
      return 0;
    case MOD_GET_PIN_PROPERTIES: {
      if (ptr == nullptr) return 0;
      const int32_t result = GetPinProperties(index, static_cast<SEPinProperties*>(ptr)) ? 1 : 0;
      // The report names the expression as written here.
      // clang-format off
      SE_CHECK((((SEPinProperties*)ptr)->flags & IO_PATCH_STORE) == 0 ||
               (((SEPinProperties*)ptr)->flags & IO_PRIVATE) != 0 ||
               ((SEPinProperties*)ptr)->direction == DR_OUT ||
               ( ( (SEPinProperties*)ptr)->flags & IO_UI_COMMUNICATION) != 0,
               SOURCE);
      // clang-format on
      return result;
    }
    case 7:
      SE_CHECK(false, SOURCE);
      return 0;
    case 10:
      SE_CHECK(false, SOURCE);
      return 0;
    case MOD_RESET:
      OnReset();
      if (index > 0) OnResetIndexed(index);
      return 0;
    case MOD_NOTIFY:
      OnNotify(value, index, ptr);
      return 0;
    case MOD_GET_PROCESS_INFO:
      g_process_info[0] = 1;
      g_process_info[1] = 12;
      g_process_info[2] = static_cast<int32_t>(reinterpret_cast<intptr_t>(&m_process));
      g_process_info[3] = 0;
      return static_cast<int32_t>(reinterpret_cast<intptr_t>(g_process_info));
    default:
      return 0;
  }
}

bool SEModule_base::IsDspPin(const SEPinProperties& properties) const {
  return (properties.flags & IO_UI_COMMUNICATION) == 0 || (properties.flags & IO_UI_AND_DSP) != 0;
}

void SEModule_base::Open() {
  delete[] m_pins;
  m_pins = nullptr;
  m_pin_count = 0;

  const int32_t n = CallHost(HOST_PIN_COUNT);
  if (n > 0) {
    m_pins = new (std::nothrow) SEPin[n];
    if (m_pins) m_pin_count = n;
  }

  int32_t i = 0;
  int32_t j = 0;
  SEPinProperties properties;
  for (;;) {
    std::memset(&properties, 0, sizeof properties);
    if (i >= m_pin_count || !GetPinProperties(j, &properties)) break;
    if (IsDspPin(properties)) {
      m_pins[i].Init(this, i, properties.datatype, properties.variable_address);
      ++i;
    }
    ++j;
  }

  if (j == 0 || i >= m_pin_count) return;
  std::memset(&properties, 0, sizeof properties);
  GetPinProperties(j - 1, &properties);
  if (IsDspPin(properties) && (properties.flags & IO_REPEATING) != 0) {
    for (; i < m_pin_count; ++i) m_pins[i].Init(this, i, properties.datatype, nullptr);
  }
}

void SEModule_base::DeliverEvent(const SETimedEvent* e) {
  SE_CHECK(e->time_stamp == SampleClock(), SOURCE);
  switch (e->event_type) {
    case EV_PIN_STATUS: {
      SEPin* pin = GetPin(e->param3);
      if (pin != &m_detached_pin) pin->OnStatusUpdate(e->param1);
      break;
    }
    case EV_DATA:
      OnTimedData(e->time_stamp, e->param1, static_cast<int16_t>(e->param2 & 0xFFFF));
      break;
    case EV_CALL: {
      SECallEntry function = reinterpret_cast<SECallEntry>(static_cast<intptr_t>(e->param3));
      if (function) function(this);
      break;
    }
    default:
      break;  // EV_RESET and unknown types: nothing in the base
  }
}

SEPin* SEModule_base::GetPin(int32_t index) {
  if (!SE_CHECK(m_pins != 0, SOURCE)) return &m_detached_pin;
  // Modules only ask for pins they declared; a host that created fewer must
  // still not make them touch memory outside the table.
  if (!SE_CHECK(index >= 0 && index < m_pin_count, SOURCE)) return &m_detached_pin;
  return &m_pins[index];
}

void SEModule_base::SetProcessFunction(const SEProcessDescriptor& descriptor) {
  if (descriptor.function == m_process.function && descriptor.zero1 == m_process.zero1 &&
      descriptor.zero2 == m_process.zero2)
    return;
  m_process = descriptor;
  m_record.process = m_process.function;
  CallHost(HOST_PROCESS_CHANGED);
}

void SEModule_base::OnPinStatusChanged(SEPin*) {}
void SEModule_base::Close() {}
void SEModule_base::SpareHook1() {}
void SEModule_base::SetSampleRate(float sample_rate) { m_sample_rate = sample_rate; }
void SEModule_base::SetBlockSize(int32_t block_size) { m_block_size = block_size; }
float SEModule_base::SampleRate() { return m_sample_rate; }
int32_t SEModule_base::BlockSize() { return m_block_size; }
bool SEModule_base::GetPinProperties(int32_t, SEPinProperties*) { return false; }
int32_t SEModule_base::SpareHook2() { return 0; }
int32_t SEModule_base::SpareHook3() { return 0; }
void SEModule_base::OnReset() {}
void SEModule_base::OnResetIndexed(int32_t) {}
void SEModule_base::OnTimedData(int32_t, int32_t, int16_t) {}
void SEModule_base::OnNotify(int32_t, int32_t, void*) {}
