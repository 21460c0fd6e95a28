#include "generator.h"

#include "wave_tables.h"

namespace {

constexpr const char* ABOUT =
    "QV_Osc WaveTable Generator\n"
    "Ver:2.90\n"
    "\n"
    "Creates 'Replacement' wavetables which remove the 'ringing' sound in low frequencies <40hz";

constexpr int32_t LINK_PIN = 0;

}  // namespace

void FillModuleInfo(SEModuleInfo* info) {
  info->name = "QV_Replacement_OscWT_1k512";
  info->id = "OscWaveTable_Replacement_1k512_QV2010";
  info->about = ABOUT;
  info->module_flags = SE_MODULE_FLAGS;
}

Module::Module(SEHostCallback callback, void* host_context)
    : SEModule_base(callback, host_context), m_amplitudes(), m_link_value(0) {}

bool Module::GetPinProperties(int32_t index, SEPinProperties* properties) {
  const int32_t version = HostVersion();
  if (WINDOW.Below(version)) return false;
  switch (index) {
    case LINK_PIN:
      properties->name = "QV_Osc_Link_1k512";
      properties->variable_address = &m_link_value;
      properties->direction = DR_OUT;
      properties->datatype = DT_INT;
      break;
    default:
      return false;
  }
  return WINDOW.Inside(version);
}

void Module::Open() {
  SEModule_base::Open();
  // Outside the window there is no link pin, so nobody can read the tables.
  if (!WINDOW.Inside(HostVersion())) return;
  m_link_value = LinkFromDirectory(EnsureWaveTables(m_amplitudes));
  if (PinCount() > LINK_PIN) GetPin(LINK_PIN)->TransmitStatus(SampleClock(), PS_ONE_CHANGE);
}
