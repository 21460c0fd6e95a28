// Base class of every module's DSP object: owns the host-visible record,
// turns dispatcher opcodes and timed events into virtual calls, builds the
// pin table and switches process functions.
#pragma once

#include <cstdint>

#include "se_pin.h"
#include "se_process.h"
#include "se_types.h"

class SEModule_base {
 public:
  SEModule_base(SEHostCallback callback, void* host_context);
  virtual ~SEModule_base();

  virtual void OnPinStatusChanged(SEPin* pin);
  virtual void DeliverEvent(const SETimedEvent* event);
  virtual int32_t Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
  virtual void Open();
  virtual void Close();
  virtual void SpareHook1();
  virtual void SetSampleRate(float sample_rate);
  virtual void SetBlockSize(int32_t block_size);
  virtual float SampleRate();
  virtual int32_t BlockSize();
  virtual bool GetPinProperties(int32_t index, SEPinProperties* properties);
  virtual int32_t SpareHook2();
  virtual int32_t SpareHook3();
  virtual void OnReset();
  virtual void OnResetIndexed(int32_t index);
  virtual void OnTimedData(int32_t time_stamp, int32_t value, int16_t value2);
  virtual void OnNotify(int32_t value, int32_t index, void* ptr);

  int32_t CallHost(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                   float opt = 0.0f);
  int32_t SampleClock() { return CallHost(HOST_SAMPLE_CLOCK); }
  int32_t HostVersion() { return CallHost(HOST_VERSION); }
  SEPin* GetPin(int32_t index);
  int32_t PinCount() const { return m_pin_count; }
  void SetProcessFunction(const SEProcessDescriptor& descriptor);

  SEModuleRecord* Record() { return &m_record; }
  const SEProcessDescriptor& ProcessDescriptor() const { return m_process; }

  // The do-nothing process function every object starts with.
  static void ProcessNothing(void* object, int32_t start, int32_t count);

 protected:
  float m_sample_rate;
  int32_t m_block_size;
  SEPin* m_pins;

 private:
  static int32_t DispatcherEntry(SEModuleRecord* record, int32_t opcode, int32_t index,
                                 int32_t value, void* ptr, float opt);
  static void EventEntry(void* object, SETimedEvent* event);
  bool IsDspPin(const SEPinProperties& properties) const;

  SEHostCallback m_callback;
  SEModuleRecord m_record;
  SEProcessDescriptor m_process;
  int32_t m_pin_count;
  // Answers GetPin for an index the host never created: inert, reads as 0.
  SEPin m_detached_pin;
};

// The record's object field holds the SEModule_base address.
inline SEModule_base* ModuleFromRecord(SEModuleRecord* record) {
  return record ? static_cast<SEModule_base*>(record->object) : nullptr;
}
