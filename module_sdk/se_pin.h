// The DSP object's handle on one of its pins: status as last reported by the
// host, where the value lives, and output status transmission.
#pragma once

#include <cstdint>

#include "se_types.h"

class SEModule_base;

class SEPin {
 public:
  SEPin();
  virtual ~SEPin();

  void Init(SEModule_base* module, int32_t index, int32_t datatype, void* variable_address);
  // Called by the base for EV_PIN_STATUS.
  void OnStatusUpdate(int32_t status);

  void TransmitStatus(int32_t time_stamp, int32_t status);
  bool IsConnected();
  float StreamValue();

  int32_t getIndex() const { return m_index; }
  int32_t getStatus() const { return m_status; }
  int32_t getDataType() const { return m_datatype; }
  void* getVariablePtr() const { return m_variable; }
  SEModule_base* getModule() const { return m_module; }

  // Internal storage for pins declared without a variable.
  union LocalValue {
    int16_t enum_value;
    uint8_t bool_value;
    float* buffer;
    float float_value;
    int32_t int_value;
  };
  const LocalValue& getLocalValue() const { return m_local_value; }

 private:
  void* m_variable;
  SEModule_base* m_module;
  int32_t m_index;
  int32_t m_status;
  int32_t m_datatype;
  LocalValue m_local_value;
};
