// Identity and pin table of the envelope module. Pins 0..7 hold the eight
// envelope texts and stay declared for every host that knows the module;
// the rest exist only inside the version window.
#include "module.h"

namespace {

constexpr const char* ABOUT =
    "GUI Editing Multi-Stage Envelopes with User Presets\n"
    "Ver:4.01\n"
    "\n"
    "Each stage has Independent Level/Time and Shape (Contour)\n"
    "This envelope has a variable Sustain stage with stage Repeating capability\n"
    "For a 'one-shot' envelope set:- 'Sustain Stage'=OFF and 'Repeat From Stage'= OFF\n"
    "For an 'All repeating' envelope set:- 'Sustain Stage'= OFF and 'Repeat From Stage'= Start\n"
    "\n"
    "Envelope#/Sample#: Specifies which envelope to use\n"
    "Gate/Trigger: When High (non zero) the Envelope will trigger and repeat if required until "
    "released (Off)\n"
    "Time Scaler: Adjusts all stage times by this ratio - for Keyboard tracking etc\n"
    "Sustain Stage: Sets which stage is 'sustained' (Held) while the Gate is High\n"
    "   OFF: no sustain stage - the envelope will continue to the end\n"
    "Repeat From Stage: If set the envelope will go back to this stage when the 'Sustain Stage' "
    "point is reached\n"
    "   If 'Sustain_Stage' is OFF the envelope will repeat from this stage when the envelope ends\n"
    "ReTrigger/Repeat Mode: ReStart: Uses the Level set in the envelope\n"
    "   PickUp: Uses the Last envelope output level\n"
    "Fast Gate/Osc Mode: Set to ON *Only* if triggering the Envelope at *Audio Rates*\n"
    "   Output stays 'Running' and module uses less CPU";

struct PinEntry {
  const char* name;
  int32_t direction;
  int32_t datatype;
  const char* default_value;
  const char* value_list;
  int32_t flags;
};

constexpr int32_t ES_FLAGS = IO_UI_AND_DSP | IO_UI_COMMUNICATION | IO_PRIVATE;
constexpr const char* OFF_ON = "OFF,ON";
constexpr const char* RESTART_PICKUP = "ReStart,PickUp";
constexpr const char* ENV_NUMBERS = "1,2,3,4,5,6,7,8";

#define GUI_INT(name) \
  { name, DR_IN, DT_INT, nullptr, nullptr, IO_UI_COMMUNICATION }
#define GUI_FLOAT(name) \
  { name, DR_IN, DT_FLOAT, nullptr, nullptr, IO_UI_COMMUNICATION }
#define GUI_ENUM(name, list) \
  { name, DR_IN, DT_ENUM, nullptr, list, IO_UI_COMMUNICATION }

constexpr PinEntry PINS[PN_PIN_COUNT] = {
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"ES", DR_IN, DT_TEXT, nullptr, nullptr, ES_FLAGS},
    {"Gate/Trigger", DR_IN, DT_FSAMPLE, "0.0", nullptr, 0},
    {"Envelope # / Sample #", DR_IN, DT_ENUM, "0", ENV_NUMBERS, 0},
    {"Env# Changes GUI_Env# ?", DR_IN, DT_ENUM, "1", OFF_ON, 0},
    {"Time Scaler (Ratio/Latched)", DR_IN, DT_FSAMPLE, "1.00", "2,0,2,0", 0},
    {"Level Scaler (*Latched)", DR_IN, DT_FSAMPLE, "10.00", nullptr, 0},
    {"Env.Out", DR_OUT, DT_FSAMPLE, nullptr, nullptr, 0},
    {"Time Mode", DR_IN, DT_ENUM, "0", "Time(s),Time(ms)", 0},
    {"ReTrigger Mode", DR_IN, DT_ENUM, "0", RESTART_PICKUP, IO_HOST_HINT},
    {"Repeat Mode", DR_IN, DT_ENUM, "0", RESTART_PICKUP, 0},
    {"Gate Mode", DR_IN, DT_ENUM, "0", "Release,Hold", 0},
    {"Fast Gate/Osc Mode", DR_IN, DT_ENUM, "0", OFF_ON, 0},
    {"Active", DR_IN, DT_ENUM, "0", OFF_ON, 0},
    GUI_ENUM("Env # / Sample# (edit/display)", ENV_NUMBERS),
    GUI_INT("Background Red"),
    GUI_INT("Background Green"),
    GUI_INT("Background Blue"),
    GUI_INT("Rpt/Release Red"),
    GUI_INT("Rpt/Release Green"),
    GUI_INT("Rpt/Release Blue"),
    GUI_INT("Envelope Red"),
    GUI_INT("Envelope Green"),
    GUI_INT("Envelope Blue"),
    GUI_INT("Boxes Red"),
    GUI_INT("Boxes Green"),
    GUI_INT("Boxes Blue"),
    GUI_ENUM("Display Mode",
             "Solid,Line 1,Line 2, Line 3,Solid/FixY,Line 1/FixY,Line 2/FixY, Line 3/FixY"),
    GUI_ENUM("Lock Mode", "OFF,Levels,Times,Total Time"),
    GUI_ENUM("AMP Mode", "OFF,End,Full"),
    GUI_FLOAT("Minimum Level"),
    GUI_FLOAT("Maximum Level"),
    GUI_ENUM("Sustain Stage", "OFF=-1,1=1,2,3,4,5,6,7"),
    GUI_ENUM("Repeat From Stage", "OFF=-1,Start,1,2,3,4,5,6"),
    GUI_ENUM("Stage Shape",
             "Linear,Exp,Inv.Exp,Exp2,Inv.Exp2,Root,Inv.Root,Exp.Root,Inv.Exp.Root,S_Crv,Inv.S_Crv,"
             "S_Crv2,Inv.S_Crv2,Step"),
    GUI_FLOAT("Stage Level"),
    GUI_FLOAT("Stage Time"),
    GUI_ENUM("Active Stages", "1=1,2,3,4,5,6,7,8"),
    GUI_ENUM("Left Click Mode", "Change Shape,Add Stage,Delete Stage,None,POP-UP"),
    GUI_ENUM("Edit Resolution", "Normal,High,Ultra"),
    GUI_ENUM("Screen Info", "None,All,Total Time"),
    GUI_FLOAT("Total Time"),
    {"QV_Envelope Info>", DR_OUT, DT_INT, nullptr, nullptr, IO_UI_COMMUNICATION},
    GUI_INT("Marker/Select Red"),
    GUI_INT("Marker/Select Green"),
    GUI_INT("Marker/Select Blue"),
    GUI_INT("Text Red"),
    GUI_INT("Text Green"),
    GUI_INT("Text Blue"),
    GUI_ENUM("Copy Shape From Env#", "OFF,1,2,3,4,5,6,7,8"),
    GUI_ENUM("Box Size", "A,B,C,D,E,F,G,H,I,J,K,L"),
    GUI_ENUM("Display Active", "OFF,ON,ON:Zoom"),
    GUI_FLOAT("Min AMP:Full mode Time#1"),
    GUI_ENUM("GUI_FX_Mode", "OFF,Blend,Blend+Smooth"),
    GUI_INT("Background Alpha (blend)"),
    GUI_INT("Rpt/Release Alpha (blend)"),
    GUI_INT("Envelope Alpha (blend)"),
    GUI_INT("Boxes Alpha (blend)"),
    GUI_INT("Marker Alpha (blend)"),
    GUI_INT("Text Alpha (blend)"),
    GUI_INT("Shading Red"),
    GUI_INT("Shading Green"),
    GUI_INT("Shading Blue"),
    GUI_INT("Shading Alpha (blend)"),
    GUI_INT("Shading X%"),
    GUI_INT("Shading Y%"),
};

#undef GUI_INT
#undef GUI_FLOAT
#undef GUI_ENUM

}  // namespace

void FillModuleInfo(SEModuleInfo* info) {
  info->name = "QV_GUI_EnvelopeV2_8_x8";
  info->id = "GUI_Edit_EnvelopeV2_8_x8_QV2008";
  info->about = ABOUT;
  info->gui_flags = SE_GUI_FLAGS_OWN_PANEL;
  info->module_flags = SE_MODULE_FLAGS;
}

bool Module::GetPinProperties(int32_t index, SEPinProperties* p) {
  const int32_t version = HostVersion();
  if (WINDOW.Below(version)) return false;
  if (index < 0 || index >= PN_PIN_COUNT) return false;

  const PinEntry& e = PINS[index];
  p->name = e.name;
  p->direction = e.direction;
  p->datatype = e.datatype;
  p->default_value = e.default_value;
  p->value_list = e.value_list;
  p->flags = e.flags;
  switch (index) {
    case PN_GATE:
      p->variable_address = &m_gate_in;
      break;
    case PN_ENV_SELECT:
      p->variable_address = &m_env_select;
      break;
    case PN_FOLLOW_GUI:
      p->variable_address = &m_follow_gui;
      break;
    case PN_TIME_SCALER:
      p->variable_address = &m_time_scaler_in;
      break;
    case PN_LEVEL_SCALER:
      p->variable_address = &m_level_scaler_in;
      break;
    case PN_OUT:
      p->variable_address = &m_out;
      break;
    case PN_TIME_MODE:
      p->variable_address = &m_time_mode;
      break;
    case PN_RETRIGGER_MODE:
      p->variable_address = &m_retrigger_mode;
      break;
    case PN_REPEAT_MODE:
      p->variable_address = &m_repeat_mode;
      break;
    case PN_GATE_MODE:
      p->variable_address = &m_gate_mode;
      break;
    case PN_FAST_GATE:
      p->variable_address = &m_fast_gate;
      break;
    case PN_ACTIVE:
      p->variable_address = &m_active_pin;
      break;
    default:
      if (index < ENV_COUNT) p->variable_address = &m_env_text[index];
      break;
  }
  // The envelope texts are the patch's data: they stay visible to hosts
  // above the window so that stored envelopes survive.
  if (index < ENV_COUNT) return true;
  return WINDOW.Inside(version);
}
