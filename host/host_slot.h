// One module placed in the host: its library, pin table, stored values and
// the objects made for it (a DSP object per voice, one GUI object).
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host.h"

namespace modhost {

struct Host::Slot {
  std::string name;
  std::string library_path;
  std::shared_ptr<ModuleLibrary> library;
  std::vector<PinDeclaration> table;  // declarations, then repeated extras
  int32_t extra_pins = 0;
  // Stored values of inputs and GUI pins by declaration (default when absent).
  std::map<int32_t, RawValue> values;
  std::map<int32_t, std::shared_ptr<const std::vector<float>>> sources;
  std::set<int32_t> connected_inputs;  // declarations

  VoiceGroup* group = nullptr;
  std::vector<std::unique_ptr<DspInstance>> clones;
  std::unique_ptr<GuiInstance> gui;

  // Traffic between the GUI object and the DSP objects, delivered between blocks.
  std::vector<GuiNotice> to_dsp;
  std::vector<GuiNotice> to_gui;
  std::vector<int32_t> shared_to_dsp;    // declarations of shared pins the GUI changed
  std::vector<int32_t> changed_for_gui;  // declarations of outputs the GUI shows

  // Polyphonic outputs that feed a single input are mixed (by DSP pin).
  std::map<int32_t, std::vector<float>> mix;
  std::map<int32_t, std::vector<std::pair<DspInstance*, int32_t>>> mono_consumers;
  std::map<int32_t, Recording> recordings;  // by declaration
  // GUI outputs connected to GUI inputs: declaration -> (module, declaration).
  std::map<int32_t, std::vector<std::pair<Slot*, int32_t>>> gui_links;

  RawValue StoredRaw(const PinDeclaration& pin) const {
    auto it = values.find(pin.declaration);
    return it == values.end() ? DefaultValue(pin) : it->second;
  }
  int32_t Voices() const { return group ? group->voices : 1; }
};

}  // namespace modhost
