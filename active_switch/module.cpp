#include "module.h"

namespace {

constexpr const char* ABOUT =
    "GUI Active Switch\n"
    "Ver:2.90\n"
    "\n"
    "Allows custom images to set ACTIVE status\n"
    "\n"
    "Rebuilt as an independent module set.\n"
    "Free to use in any patch; no warranty of any kind.";

}  // namespace

void FillModuleInfo(SEModuleInfo* info) {
  info->name = "QV_GUI_Active_Switch";
  info->id = "GUI_Active_Switch_QV2009";
  info->about = ABOUT;
  info->module_flags = SE_MODULE_FLAGS;
}

Module::Module(SEHostCallback callback, void* host_context)
    : SEModule_base(callback, host_context),
      m_switch_input(-1.0f),
      m_output_pin(nullptr),
      m_active(-1) {}

bool Module::GetPinProperties(int32_t index, SEPinProperties* properties) {
  const int32_t version = HostVersion();
  if (WINDOW.Below(version)) return false;
  switch (index) {
    case 0:
      properties->name = "Active";
      properties->variable_address = &m_active;
      properties->direction = DR_OUT;
      properties->datatype = DT_ENUM;
      break;
    case 1:
      properties->name = "1 Switch (Animation)";
      properties->variable_address = &m_switch_input;
      properties->direction = DR_IN;
      properties->datatype = DT_FLOAT;
      properties->flags = IO_UI_COMMUNICATION | IO_UI_AND_DSP;
      break;
    default:
      return false;
  }
  return WINDOW.Inside(version);
}

void Module::Open() {
  SEModule_base::Open();
  SetProcessFunction(ProcessOf<&Module::ProcessSleep>());
  // Starting below both states makes the first input always transmit.
  m_active = -1;
  m_switch_input = -1.0f;
  m_output_pin = GetPin(0);
}

void Module::OnPinStatusChanged(SEPin* pin) {
  if (pin->getIndex() != 1) return;
  const int16_t active = m_switch_input >= 0.5f ? 1 : 0;  // NaN compares false: 0
  if (active == m_active) return;
  m_active = active;
  m_output_pin->TransmitStatus(SampleClock(), PS_ONE_CHANGE);
}

void Module::ProcessSleep(int32_t, int32_t) { CallHost(HOST_SLEEP); }

GuiModule::~GuiModule() { CallHost(GUIHOST_CLOSING); }
