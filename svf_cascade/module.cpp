#include "module.h"

namespace {

constexpr const char* ABOUT =
    "State Variable Cascading Filter with Filter Choice output\n"
    "Ver:2.90\n"
    "\n"
    "State Variable filter operating within the Stable band 1/3 Nyquist (1/6 Sample Rate approx)\n"
    "Extended Cutoff response can be achieved by manipulating Cutoff and Res above the stable "
    "band\n"
    "\n"
    "Cutoff: Direct Coefficient value Stable band 0->10v = 0->1/3 Nyquist (1/6 Sample Rate "
    "approx)\n"
    "Resonance: Stable band 0->10v\n"
    "Filter Choice: Lpf, Hpf, Bpf, Notch, Peak A, Peak B, Bypass or Off\n"
    "Cascade: Filter can be cascaded up to 8 times (i.e in series)\n"
    "Res Balancing: Manual or Auto\n"
    "   Auto:- Balances the Resonance response according to the Cascade setting\n"
    "Active On/Off switch (for Auto control etc)\n"
    "Gate(Poly Reset): Link if used in a Polyphonic chain\n"
    "\n"
    "Rebuilt as an independent module set.\n"
    "Free to use in any patch; no warranty of any kind.";

void SetPin(SEPinProperties* p, const char* name, int32_t direction, int32_t datatype,
            void* variable, const char* default_value, const char* list) {
  p->name = name;
  p->direction = direction;
  p->datatype = datatype;
  p->variable_address = variable;
  p->default_value = default_value;
  p->value_list = list;
}

}  // namespace

void FillModuleInfo(SEModuleInfo* info) {
  info->name = "QV_SVar_Filter_Cascade";
  info->id = "State_Variable_Cascading_Filter_Choice_QV2005";
  info->about = ABOUT;
  info->module_flags = SE_MODULE_FLAGS;
}

Module::Module(SEHostCallback callback, void* host_context)
    : SEModule_base(callback, host_context),
      m_input(nullptr),
      m_cutoff(nullptr),
      m_resonance(nullptr),
      m_output(nullptr),
      m_gate(nullptr),
      m_choice(0),
      m_cascade(0),
      m_active(0),
      m_balancing(1),
      m_mono_mode(0),
      m_stages{},
      m_output_pin(nullptr),
      m_balance(1.0f),
      m_block_samples(0),
      m_inputs_static(0),
      m_reset_armed(0),
      m_input_streaming(0),
      m_cutoff_streaming(0),
      m_resonance_streaming(0),
      m_per_sample_cutoff(0) {}

bool Module::GetPinProperties(int32_t index, SEPinProperties* p) {
  const int32_t version = HostVersion();
  if (WINDOW.Below(version)) return false;
  const bool inside = WINDOW.Inside(version);
  switch (index) {
    case PIN_INPUT:
      SetPin(p, "Audio_in", DR_IN, DT_FSAMPLE, &m_input, "0", nullptr);
      break;
    case PIN_CUTOFF:
      SetPin(p, "Cutoff (0-10v coeff)", DR_IN, DT_FSAMPLE, &m_cutoff, "5.00", nullptr);
      break;
    case PIN_RESONANCE:
      SetPin(p, "Res 0-10v", DR_IN, DT_FSAMPLE, inside ? &m_resonance : nullptr, "0.00", nullptr);
      break;
    case PIN_OUTPUT:
      SetPin(p, "Out", DR_OUT, DT_FSAMPLE, &m_output, nullptr, nullptr);
      break;
    case PIN_CHOICE:
      SetPin(p, "Filter Choice", DR_IN, DT_ENUM, &m_choice, "0",
             "Lpf,Hpf,Bpf,Notch,Peak A,Peak B,Bypass,Off");
      break;
    case PIN_CASCADE:
      SetPin(p, "Cascade", DR_IN, DT_ENUM, &m_cascade, "0", "1,2,3,4,5,6,7,8");
      break;
    case PIN_ACTIVE:
      SetPin(p, "Active", DR_IN, DT_ENUM, &m_active, "0", "OFF,ON");
      break;
    case PIN_BALANCING:
      SetPin(p, "Res Balancing", DR_IN, DT_ENUM, &m_balancing, "1", "Manual,Auto");
      break;
    case PIN_MONO_MODE:
      SetPin(p, "Midi_to_CV:Mono Mode(Poly Reset)", DR_IN, DT_ENUM, &m_mono_mode, "0",
             "On=1,Off=0");
      break;
    case PIN_GATE:
      SetPin(p, "Midi_to_CV:Gate(Poly Reset)", DR_IN, DT_FSAMPLE, &m_gate, "0", nullptr);
      break;
    default:
      return false;
  }
  return inside;
}

void Module::Open() {
  SEModule_base::Open();
  m_block_samples = BlockSize();
  // Mono mode is left as the host stored it: hosts write stored values
  // before Open and do not write them again with the first status events.
  m_reset_armed = 0;
  // Outside the version window the host created no pins and no buffers:
  // the module keeps doing nothing rather than reading through null.
  if (!WINDOW.Inside(HostVersion())) return;
  ClearStages();
  m_output_pin = GetPin(PIN_OUTPUT);
  SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::LOW>>());
}

void Module::OnReset() {
  if (m_mono_mode != 0) m_reset_armed = -1;
}

void Module::ClearStages() {
  for (SvfStage& stage : m_stages) stage = SvfStage{0.0f, 0.0f};
}

void Module::UpdateBalance() {
  const int32_t cascade = SvfStageCount(m_cascade) - 1;
  m_balance = m_balancing != 0 ? static_cast<float>((10 - cascade) * 0.1) : 1.0f;
}

void Module::OnPinStatusChanged(SEPin* pin) {
  const int32_t status = pin->getStatus();
  switch (pin->getIndex()) {
    case PIN_INPUT:
      m_input_streaming = status == PS_STREAMING;
      break;
    case PIN_CUTOFF:
      m_cutoff_streaming = status == PS_STREAMING;
      break;
    case PIN_RESONANCE:
      m_resonance_streaming = status == PS_STREAMING;
      break;
    case PIN_CASCADE:
    case PIN_BALANCING:
      UpdateBalance();
      break;
    case PIN_ACTIVE:
      if (m_active == 0) {
        SetProcessFunction(ProcessOf<&Module::ProcessOff>());
        TransmitOutput(SampleClock(), PS_ONE_CHANGE);
      } else if (WINDOW.Inside(HostVersion())) {
        ClearStages();
      }
      break;
    case PIN_GATE:
      PolyReset();
      return;
    default:
      break;
  }
  CommonTail();
}

void Module::PolyReset() {
  if (m_mono_mode != 0 && m_reset_armed == 0) return;
  // NaN compares false: an undefined gate clears nothing.
  if (!(GetPin(PIN_GATE)->StreamValue() > 0.0f)) return;
  m_reset_armed = 0;
  ClearStages();
}

void Module::TransmitOutput(int32_t clock, int32_t status) {
  if (m_output_pin) m_output_pin->TransmitStatus(clock, status);
}

void Module::SelectByChoice() {
  switch (m_choice) {
    case 0:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::LOW>>());
      break;
    case 1:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::HIGH>>());
      break;
    case 2:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::BAND>>());
      break;
    case 3:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::NOTCH>>());
      break;
    case 4:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::PEAK_A>>());
      break;
    case 5:
      SetProcessFunction(ProcessOf<&Module::ProcessFilter<SvfForm::PEAK_B>>());
      break;
    case CHOICE_BYPASS:
      SetProcessFunction(ProcessOf<&Module::ProcessBypass>());
      break;
    case CHOICE_OFF:
      SetProcessFunction(ProcessOf<&Module::ProcessOff>());
      TransmitOutput(SampleClock(), PS_ONE_CHANGE);
      break;
    default:
      break;  // not in the list: keep what runs
  }
}

void Module::CommonTail() {
  m_per_sample_cutoff = m_cutoff_streaming;
  if (m_active != 0) {
    if (m_choice != CHOICE_OFF) TransmitOutput(SampleClock(), PS_STREAMING);
    SelectByChoice();
  }
  m_inputs_static = !(m_input_streaming || m_cutoff_streaming || m_resonance_streaming);
  m_countdown.Arm(m_block_samples);
}
