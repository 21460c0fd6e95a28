#include "se_gui_base.h"

#include <cstring>

#include "se_assert.h"
#include "se_bits.h"

namespace {
constexpr const char* SOURCE = "SEGUI_base";
}  // namespace

SEGUI_base::SEGUI_base(SEHostCallback callback, void* host_context) : seaudioMaster(callback) {
  std::memset(&m_record, 0, sizeof m_record);
  m_record.magic = SE_GUI_MAGIC;
  m_record.version = 1;
  m_record.dispatcher = &SEGUI_base::DispatcherEntry;
  m_record.host_context = host_context;
  m_record.object = this;
}

SEGUI_base::~SEGUI_base() = default;

int32_t SEGUI_base::DispatcherEntry(SEGuiRecord* record, int32_t opcode, int32_t index,
                                    int32_t value, void* ptr, float opt) {
  SEGUI_base* gui = GuiFromRecord(record);
  return gui ? gui->Dispatch(opcode, index, value, ptr, opt) : 0;
}

int32_t SEGUI_base::CallHost(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
  if (!SE_CHECK(seaudioMaster, SOURCE)) return 0;
  return seaudioMaster(&m_record, opcode, index, value, ptr, opt);
}

int32_t SEGUI_base::Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
  SEPanel* panel = static_cast<SEPanel*>(ptr);
  switch (opcode) {
    case GUI_INITIALISE:
      Initialise(index == 1);
      return 0;
    case GUI_CLOSE:
      Close();
      delete this;
      return 1;
    case GUI_PAINT:
      Paint(index, panel);
      return 0;
    case GUI_BUTTON_DOWN:
      OnLButtonDown(panel, static_cast<int32_t>(FloatBits(opt)), index, value);
      return 0;
    case GUI_BUTTON_UP:
      OnLButtonUp(panel, static_cast<int32_t>(FloatBits(opt)), index, value);
      return 0;
    case GUI_MOUSE_MOVE:
      OnMouseMove(panel, static_cast<int32_t>(FloatBits(opt)), index, value);
      return 0;
    case GUI_MODULE_MESSAGE:
      OnModuleMessage(value, index, ptr);
      return 0;
    case GUI_PIN_CHANGED:
      OnGuiPinValueChange(Pin(index));
      return 0;
    case 8:
      OnGuiOpcode8(ptr);
      return 0;
    case 9:
      OnGuiOpcode9(ptr);
      return 0;
    case 10:
      return static_cast<uint8_t>(QueryGuiOpcode10() ? 1 : 0);
    case 11:
      OnGuiOpcode11(index);
      return 0;
    case 12:
      OnGuiOpcode12(index);
      return 0;
    default:
      return 0;
  }
}

void SEGUI_base::Initialise(bool) {}
void SEGUI_base::Close() {}
void SEGUI_base::Paint(int32_t, SEPanel*) {}
void SEGUI_base::OnLButtonDown(SEPanel*, int32_t, int32_t, int32_t) {}
void SEGUI_base::OnLButtonUp(SEPanel*, int32_t, int32_t, int32_t) {}
void SEGUI_base::OnMouseMove(SEPanel*, int32_t, int32_t, int32_t) {}
void SEGUI_base::OnGuiOpcode8(void*) {}
void SEGUI_base::OnGuiOpcode9(void*) {}
bool SEGUI_base::QueryGuiOpcode10() { return false; }
void SEGUI_base::OnGuiOpcode11(int32_t) {}
void SEGUI_base::OnGuiOpcode12(int32_t) {}
void SEGUI_base::OnModuleMessage(int32_t, int32_t, void*) {}
void SEGUI_base::OnGuiPinValueChange(SEGuiPin) {}

std::string SEGuiPin::GetText() const {
  const char* text = reinterpret_cast<const char*>(
      static_cast<intptr_t>(owner->CallHost(GUIHOST_GET_TEXT, index)));
  return text ? std::string(text) : std::string();
}

void SEGuiPin::SetText(const char* text) const {
  owner->CallHost(GUIHOST_SET_TEXT, index, 0, const_cast<char*>(text));
}

int32_t SEGuiPin::GetInt() const {
  int32_t value = 0;
  owner->CallHost(GUIHOST_GET_PIN, index, 0, &value);
  return value;
}

float SEGuiPin::GetFloat() const { return BitsFloat(static_cast<uint32_t>(GetInt())); }

void SEGuiPin::SetInt(int32_t value) const { owner->CallHost(GUIHOST_SET_PIN, index, value); }

void SEGuiPin::SetFloat(float value) const {
  owner->CallHost(GUIHOST_SET_PIN, index, 0, nullptr, value);
}
