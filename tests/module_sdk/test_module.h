// A DSP object whose pin declarations and reactions a test sets up.
#pragma once

#include <vector>

#include "se_module_base.h"

class TestModule : public SEModule_base {
 public:
  using SEModule_base::SEModule_base;

  std::vector<SEPinProperties> declarations;
  std::vector<int32_t> status_seen;  // m_status read inside the handler
  std::vector<int32_t> pins_seen;
  std::vector<float> stream_values;  // StreamValue of the pin, read inside the handler
  int resets = 0;
  std::vector<int32_t> indexed_resets;
  std::vector<int32_t> timed_data;
  int notifies = 0;

  bool GetPinProperties(int32_t index, SEPinProperties* properties) override {
    if (index < 0 || index >= static_cast<int32_t>(declarations.size())) return false;
    *properties = declarations[index];
    return true;
  }
  void OnPinStatusChanged(SEPin* pin) override {
    pins_seen.push_back(pin->getIndex());
    status_seen.push_back(pin->getStatus());
    if (pin->getDataType() == DT_FSAMPLE) stream_values.push_back(pin->StreamValue());
  }
  void OnReset() override { ++resets; }
  void OnResetIndexed(int32_t index) override { indexed_resets.push_back(index); }
  void OnTimedData(int32_t time_stamp, int32_t value, int16_t value2) override {
    timed_data.insert(timed_data.end(), {time_stamp, value, value2});
  }
  void OnNotify(int32_t, int32_t, void*) override { ++notifies; }

  void ProcessA(int32_t, int32_t) {}
  void ProcessB(int32_t, int32_t) {}
  SEPin* Pins() { return m_pins; }
};

inline SEPinProperties Declare(int32_t datatype, int32_t direction = DR_IN, int32_t flags = 0,
                               void* variable = nullptr) {
  SEPinProperties p{};
  p.variable_address = variable;
  p.direction = direction;
  p.datatype = datatype;
  p.name = "pin";
  p.flags = flags;
  return p;
}
