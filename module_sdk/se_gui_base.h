// Base class of every module's GUI object: owns the host-visible GUI record,
// turns GUI dispatcher opcodes into virtual calls and wraps the GUI host
// callback (pin access, repaint, capture, messages to the DSP object).
#pragma once

#include <cstdint>
#include <string>

#include "se_types.h"

class SEGUI_base;

// A GUI pin, addressed by its declaration index.
struct SEGuiPin {
  int32_t index;
  SEGUI_base* owner;

  std::string GetText() const;
  void SetText(const char* text) const;
  int32_t GetInt() const;
  float GetFloat() const;
  void SetInt(int32_t value) const;
  void SetFloat(float value) const;
};

class SEGUI_base {
 public:
  SEGUI_base(SEHostCallback callback, void* host_context);
  virtual ~SEGUI_base();

  virtual int32_t Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
  virtual void Initialise(bool flag);
  virtual void Close();
  virtual void Paint(int32_t device_context, SEPanel* panel);
  virtual void OnLButtonDown(SEPanel* panel, int32_t flags, int32_t x, int32_t y);
  virtual void OnLButtonUp(SEPanel* panel, int32_t flags, int32_t x, int32_t y);
  virtual void OnMouseMove(SEPanel* panel, int32_t flags, int32_t x, int32_t y);
  virtual void OnGuiOpcode8(void* address);
  virtual void OnGuiOpcode9(void* address);
  virtual bool QueryGuiOpcode10();
  virtual void OnGuiOpcode11(int32_t value);
  virtual void OnGuiOpcode12(int32_t value);
  virtual void OnModuleMessage(int32_t value, int32_t index, void* ptr);
  virtual void OnGuiPinValueChange(SEGuiPin pin);

  int32_t CallHost(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                   float opt = 0.0f);
  SEGuiPin Pin(int32_t index) { return SEGuiPin{index, this}; }
  void Capture(SEPanel* panel) { CallHost(GUIHOST_CAPTURE, 0, 0, panel); }
  void Release(SEPanel* panel) { CallHost(GUIHOST_RELEASE, 0, 0, panel); }
  bool IsCaptured(SEPanel* panel) { return CallHost(GUIHOST_IS_CAPTURED, 0, 0, panel) != 0; }

  SEGuiRecord* Record() { return &m_record; }

 private:
  static int32_t DispatcherEntry(SEGuiRecord* record, int32_t opcode, int32_t index, int32_t value,
                                 void* ptr, float opt);

  SEHostCallback seaudioMaster;
  SEGuiRecord m_record;
};

inline SEGUI_base* GuiFromRecord(SEGuiRecord* record) {
  return record ? static_cast<SEGUI_base*>(record->object) : nullptr;
}
