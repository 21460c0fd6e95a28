#include "oscillator.h"

#include "pitch.h"

namespace {

constexpr const char* ABOUT =
    "Standard Audio Oscillator\n"
    "Ver:3.00\n"
    "\n"
    "Waveform: Selects waveform shape\n"
    "Harmonics: Set the number of active harmonics - can be used as a simple filter by removing "
    "high harmonics\n"
    "Freq Limit: Defines the Frequency (Hz) above which the Wavetable harmonics are removed\n"
    "   *Note Root Harmonic always sounds\n"
    "Limit Freq System: OFF/A/B:\n"
    "   OFF: Frequencies can go beyond Nyquist causing foldback frequencies/wierd FX etc\n"
    "Pitch Mod Accuracy: High: Realtime Modulation  Low: Block Accurate\n"
    "Sync Accuracy: High: (Recommended)\n"
    "HOLD: When ON the output of the oscillator freezes - can be useful for LFO use etc\n"
    "Active: Off,On ( When not used, set to Off to save CPU )";

constexpr const char* WAVEFORMS =
    "Sine,Saw,Ramp,Soft Ramp,Peak Ramp,Square,Triangle,Peak,Octava,Cluster1,Cluster2,Pulse:Saw,"
    "Pulse:Ramp,Pulse:Soft Ramp,Pulse:Peak Ramp,Pulse:Square,Pulse:Triangle,Pulse:Peak,"
    "Pulse:Octava,Pulse:Cluster1,Pulse:Cluster2,Noise=255";

constexpr const char* HARMONICS =
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,48=47,"
    "64=63,80=79,96=95,128=127,192=191,256=255,384=383,512=511";

constexpr uint32_t NOISE_B_SEED = 0xEFCDAB89u;
constexpr uint32_t NOISE_A_SEED = 0x67453201u;

struct PinSpec {
  const char* name;
  int32_t direction;
  int32_t datatype;
  const char* default_value;
  const char* value_list;
};

constexpr PinSpec PINS[OSC_PIN_COUNT] = {
    {"Pitch", DR_IN, DT_FSAMPLE, "5.000", nullptr},
    {"Pitch Adjust (offset)", DR_IN, DT_FSAMPLE, "0.0", nullptr},
    {"Pitch Ref (System B)", DR_IN, DT_FSAMPLE, "5.000", nullptr},
    {"Phase/Pulse Width", DR_IN, DT_FSAMPLE, "0.000", nullptr},
    {"Sync", DR_IN, DT_FSAMPLE, "0.0", nullptr},
    {"Sync Accuracy", DR_IN, DT_ENUM, "1", "Low,High"},
    {"Wave.Out", DR_OUT, DT_FSAMPLE, nullptr, nullptr},
    {"Waveform", DR_IN, DT_ENUM, "0", WAVEFORMS},
    {"Wave Quality", DR_IN, DT_ENUM, "1", "High=1"},
    {"Harmonics", DR_IN, DT_ENUM, "511", HARMONICS},
    {"Freq Limit (Hz)", DR_IN, DT_FSAMPLE, "22000", "22050,100,22050,100"},
    {"Limit Freq System", DR_IN, DT_ENUM, "1", "OFF,A,B"},
    {"Pitch Mode", DR_IN, DT_ENUM, "0", "Oct,Khz,Hz"},
    {"PitchMod Accuracy", DR_IN, DT_ENUM, "1", "Low,High"},
    {"HOLD: On/Off", DR_IN, DT_ENUM, "0", "OFF,ON"},
    {"Active", DR_IN, DT_ENUM, "0", "OFF,ON"},
    {"", DR_INTERNAL, DT_FSAMPLE, "", nullptr},
    {"QV_Osc_Link_1k512", DR_IN, DT_INT, nullptr, nullptr},
};

}  // namespace

void FillModuleInfo(SEModuleInfo* info) {
  info->name = "QV_Standard_Osc_1k512";
  info->id = "Audio_Standard_Osc_1k512_Wavetable_QV2010";
  info->about = ABOUT;
  info->module_flags = SE_MODULE_FLAGS;
}

Module::Module(SEHostCallback callback, void* host_context)
    : SEModule_base(callback, host_context),
      m_current_table(nullptr),
      m_pitch_buffer(nullptr),
      m_sync_buffer(nullptr),
      m_increment_buffer(nullptr),
      m_output_buffer(nullptr),
      m_phase_buffer(nullptr),
      m_pitch_ref_buffer(nullptr),
      m_freq_limit_buffer(nullptr),
      m_pitch_adjust_buffer(nullptr),
      m_previous_sync(-1.0f),
      m_limit_frequency(22000.0f),
      m_phase(0.0),
      m_increment(0.0),
      m_linear_factor(0.0f),
      m_noise_b(NOISE_B_SEED),
      m_noise_a(NOISE_A_SEED),
      m_pitch_adjust_streaming(0),
      m_pitch_streaming(0),
      m_sync_streaming(0),
      m_phase_streaming(0),
      m_max_harmonics(TABLE_HARMONICS),
      m_block_size_at_open(0),
      m_sleep_countdown(0),
      m_link_value(0),
      m_link_connected(0),
      m_inner_process(&Module::ProcessBlockPitch),
      m_output_pin(nullptr),
      m_pitch_pin(nullptr),
      m_pitch_adjust_pin(nullptr),
      m_waveform(0),
      m_limit_system(LIMIT_A),
      m_active_state(0),
      m_pitch_mode(PITCH_MODE_OCT),
      m_pitchmod_accuracy(1),
      m_sync_accuracy(1),
      m_wave_quality(1),
      m_hold(0),
      m_active(0),
      m_harmonics(TABLE_HARMONICS - 1),
      m_table_is_set(false) {}

bool Module::GetPinProperties(int32_t index, SEPinProperties* properties) {
  const int32_t version = HostVersion();
  if (WINDOW.Below(version)) return false;
  if (index < 0 || index >= OSC_PIN_COUNT) return false;
  void* const variables[OSC_PIN_COUNT] = {
      &m_pitch_buffer,
      &m_pitch_adjust_buffer,
      &m_pitch_ref_buffer,
      &m_phase_buffer,
      &m_sync_buffer,
      &m_sync_accuracy,
      &m_output_buffer,
      &m_waveform,
      &m_wave_quality,
      &m_harmonics,
      &m_freq_limit_buffer,
      &m_limit_system,
      &m_pitch_mode,
      &m_pitchmod_accuracy,
      &m_hold,
      &m_active,
      &m_increment_buffer,
      &m_link_value,
  };
  const PinSpec& pin = PINS[index];
  properties->name = pin.name;
  properties->direction = pin.direction;
  properties->datatype = pin.datatype;
  properties->default_value = pin.default_value;
  properties->value_list = pin.value_list;
  properties->variable_address = variables[index];
  return WINDOW.Inside(version);
}

void Module::Open() {
  SEModule_base::Open();
  if (!WINDOW.Inside(HostVersion())) return;
  // A host that made fewer pins than declared gets an inert oscillator.
  if (PinCount() < OSC_PIN_COUNT) return;

  m_block_size_at_open = BlockSize();
  float rate = SampleRate();
  if (!(rate > 0.0f)) rate = 44100.0f;  // no usable rate: keep the tables finite
  m_pitch_adjust_pin = GetPin(PIN_PITCH_ADJUST);
  m_noise_b = NOISE_B_SEED;
  m_noise_a = NOISE_A_SEED;
  BuildPitchTables(rate);
  m_output_pin = GetPin(PIN_OUTPUT);
  m_previous_sync = -1.0f;
  m_phase = 0.0;
  m_pitch_pin = GetPin(PIN_PITCH);
  m_linear_factor = 0.0f;
  m_link_value = 0;
  m_link_connected = GetPin(PIN_LINK)->IsConnected() ? 1 : 0;
}

void Module::UpdateIncrement(float v) {
  switch (m_pitch_mode) {
    case PITCH_MODE_OCT:
      m_increment = OctaveIncrement<Rounding::NEAREST>(v);
      break;
    case PITCH_MODE_KHZ:
      m_linear_factor = g_pitch_tables.khz_factor;
      m_increment = static_cast<double>(v) * m_linear_factor;
      break;
    default:  // "Hz", and any value a patch may hold beyond the list
      m_linear_factor = g_pitch_tables.hz_factor;
      m_increment = static_cast<double>(v) * m_linear_factor;
      break;
  }
}

void Module::ApplyWaveform() {
  if (m_link_value == 0) return;
  const TableDirectory* directory = DirectoryFromLink(m_link_value);
  // The directory has 256 entries; other enumeration values have no table.
  if (m_waveform < 0 || m_waveform >= DIRECTORY_ENTRIES) {
    m_current_table = nullptr;
    m_table_is_set = false;
    return;
  }
  m_current_table = directory->entry[m_waveform];
  m_table_is_set = m_waveform != WAVEFORM_SINE;
}

void Module::EnterIdle(const SEProcessDescriptor& process) {
  SetProcessFunction(process);
  m_sleep_countdown = m_block_size_at_open;
  m_output_pin->TransmitStatus(SampleClock(), PS_ONE_CHANGE);
}

void Module::OnPinStatusChanged(SEPin* pin) {
  if (!m_link_connected) return;
  const int32_t status = pin->getStatus();
  switch (pin->getIndex()) {
    case PIN_PITCH:
      m_pitch_streaming = status == PS_STREAMING;
      UpdateIncrement(m_pitch_pin->StreamValue() + m_pitch_adjust_pin->StreamValue());
      Reselect();
      break;
    case PIN_PITCH_ADJUST:
      m_pitch_adjust_streaming = status == PS_STREAMING;
      UpdateIncrement(m_pitch_adjust_pin->StreamValue() + m_pitch_pin->StreamValue());
      Reselect();
      break;
    case PIN_PHASE:
      m_phase_streaming = status == PS_STREAMING;
      break;
    case PIN_SYNC:
      if (status == PS_STREAMING) {
        m_sync_streaming = 1;
      } else {
        m_sync_streaming = 0;
        const float v = pin->StreamValue();
        if (!(m_previous_sync > 0.0f) && v > 0.0f) m_phase = 0.0;
        m_previous_sync = v;
      }
      Reselect();
      break;
    case PIN_WAVEFORM:
    case PIN_LINK:
      ApplyWaveform();
      break;
    case PIN_HARMONICS: {
      // A stored value beyond the list must still name one of the 512 sub-tables.
      const int32_t maximum = m_harmonics + 1;
      m_max_harmonics = maximum < 1 ? 1 : maximum > TABLE_HARMONICS ? TABLE_HARMONICS : maximum;
      break;
    }
    case PIN_FREQ_LIMIT: {
      const float limit = pin->StreamValue() * 10.0f;
      m_limit_frequency = limit > 1.0f ? limit : 1.0f;
      break;
    }
    case PIN_PITCH_MODE:
      UpdateIncrement(m_pitch_pin->StreamValue() + m_pitch_adjust_pin->StreamValue());
      Reselect();
      break;
    case PIN_HOLD:
      if (m_hold == 0 && m_active_state != 0)
        m_output_pin->TransmitStatus(SampleClock(), PS_STREAMING);
      else
        EnterIdle(ProcessOf<&Module::ProcessHold>());
      Reselect();
      break;
    case PIN_ACTIVE:
      m_active_state = m_active;
      if (m_active_state != 0)
        m_output_pin->TransmitStatus(SampleClock(), PS_STREAMING);
      else
        EnterIdle(ProcessOf<&Module::ProcessOff>());
      Reselect();
      break;
    default:
      Reselect();
      break;
  }
}

void Module::Reselect() {
  if (m_hold != 0 || m_active_state == 0) return;
  const bool streaming_pitch = m_pitch_streaming || m_pitch_adjust_streaming;
  const bool per_sample = m_pitchmod_accuracy != 0 && streaming_pitch;
  const Kernel kernel = per_sample ? &Module::ProcessSamplePitch : &Module::ProcessBlockPitch;
  if (!m_sync_streaming) {
    SetProcessFunction(per_sample ? ProcessOf<&Module::ProcessSamplePitch>()
                                  : ProcessOf<&Module::ProcessBlockPitch>());
    return;
  }
  m_inner_process = kernel;
  switch (m_sync_accuracy) {
    case 0:
      SetProcessFunction(ProcessOf<&Module::ProcessSyncReset>());
      break;
    case 1:
      SetProcessFunction(m_pitch_mode == PITCH_MODE_OCT ? ProcessOf<&Module::ProcessSyncOct>()
                                                        : ProcessOf<&Module::ProcessSyncLinear>());
      break;
    default:
      break;
  }
}
