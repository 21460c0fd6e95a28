#include "se_pin.h"

#include "se_assert.h"
#include "se_module_base.h"

namespace {
constexpr const char* SOURCE = "SEPin";
}

SEPin::SEPin()
    : m_variable(nullptr), m_module(nullptr), m_index(-1), m_status(PS_STATIC), m_datatype(-1) {
  m_local_value.int_value = 0;
}

SEPin::~SEPin() = default;

void SEPin::Init(SEModule_base* module, int32_t index, int32_t datatype, void* variable_address) {
  m_module = module;
  m_index = index;
  m_datatype = datatype;
  m_variable = variable_address;
  m_status = PS_STATIC;
  m_local_value.int_value = 0;
  if (variable_address != nullptr) return;

  switch (datatype) {
    case DT_ENUM:
      m_local_value.enum_value = 0;
      break;
    case DT_BOOL:
      m_local_value.bool_value = 0;
      break;
    case DT_FSAMPLE:
      m_local_value.buffer = reinterpret_cast<float*>(
          static_cast<intptr_t>(module ? module->CallHost(HOST_PIN_BUFFER, index) : 0));
      break;
    case DT_FLOAT:
    case DT_INT:
      m_local_value.int_value = 0;
      break;
    default:
      return;  // texts and unknown types have no storage
  }
  m_variable = &m_local_value;
}

void SEPin::OnStatusUpdate(int32_t status) {
  m_status = status;
  if (m_module) m_module->OnPinStatusChanged(this);
  if (status == PS_ONE_CHANGE) m_status = PS_STATIC;
}

void SEPin::TransmitStatus(int32_t time_stamp, int32_t status) {
  if (!m_module) return;
  m_module->CallHost(HOST_PIN_STATUS, m_index, status,
                     reinterpret_cast<void*>(static_cast<intptr_t>(time_stamp)));
}

bool SEPin::IsConnected() {
  return m_module && m_module->CallHost(HOST_PIN_CONNECTED, m_index) != 0;
}

float SEPin::StreamValue() {
  if (!SE_CHECK(m_datatype == DT_FSAMPLE, SOURCE)) return 0.0f;
  if (!m_module || !m_variable) return 0.0f;
  const int32_t start = m_module->CallHost(HOST_PIN_BLOCK_START, m_index);
  const int32_t now = m_module->SampleClock();
  const float* buffer = *static_cast<float* const*>(m_variable);
  // A host that reports a clock outside the current buffer must not make us
  // read outside it.
  const uint32_t offset = static_cast<uint32_t>(now - start);
  if (!SE_CHECK(buffer != 0 && offset < static_cast<uint32_t>(m_module->BlockSize()), SOURCE))
    return 0.0f;
  return buffer[offset];
}
