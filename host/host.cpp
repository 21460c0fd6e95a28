// Building a patch in the host and reading its state; running it is in
// host_run.cpp, the routing of module calls in host_routing.cpp.
#include "host.h"

#include <algorithm>

#include "host_slot.h"
#include "module_probe.h"

namespace modhost {

Host::Host() = default;

Host::~Host() {
  // GUI objects first: they may still talk to the DSP side while closing.
  for (auto& slot : m_slots) slot->gui.reset();
  for (auto& slot : m_slots) slot->clones.clear();
}

void Host::RequireNotStarted(const char* what) const {
  if (m_started) throw HostError(std::string(what) + " is fixed once the host runs");
}

void Host::SetSampleRate(float sample_rate) {
  RequireNotStarted("the sample rate");
  if (!(sample_rate >= 1000.0f && sample_rate <= 1000000.0f)) {
    throw HostError("sample rate " + std::to_string(sample_rate) +
                    " is outside 1000 to 1000000 Hz");
  }
  m_sample_rate = sample_rate;
}

void Host::SetBlockSize(int32_t block_size) {
  RequireNotStarted("the block size");
  if (block_size < 1 || block_size > 65536) {
    throw HostError("block size " + std::to_string(block_size) + " is outside 1 to 65536");
  }
  m_block_size = block_size;
}

void Host::SetHostVersion(int32_t version) {
  RequireNotStarted("the host version");
  if (version <= 0) throw HostError("host version must be positive");
  m_host_version = version;
  Reprobe();
}

void Host::Reprobe() {
  for (auto& slot : m_slots) {
    slot->table = ProbePinTable(*slot->library, m_host_version);
    AppendRepeatedPins(&slot->table, slot->extra_pins);
  }
}

std::string Host::AddModule(const std::string& library_path, const std::string& name) {
  RequireNotStarted("the set of modules");
  auto slot = std::make_unique<Slot>();
  slot->library_path = library_path;
  slot->library = ModuleLibrary::Load(library_path);
  slot->table = ProbePinTable(*slot->library, m_host_version);
  std::string unique = name;
  if (unique.empty()) {
    const std::string base = slot->library->Identity().name.empty()
                                 ? std::string("module")
                                 : slot->library->Identity().name;
    unique = base;
    for (int k = 2; m_by_name.count(unique); ++k) unique = base + "_" + std::to_string(k);
  } else if (m_by_name.count(unique)) {
    throw HostError("a module named \"" + unique + "\" already exists");
  }
  if (unique.find('.') != std::string::npos) {
    throw HostError("module name \"" + unique + "\" must not contain '.'");
  }
  slot->name = unique;
  m_by_name[unique] = slot.get();
  m_slots.push_back(std::move(slot));
  return unique;
}

void Host::SetRepeatCount(const std::string& module, int32_t extra_pins) {
  RequireNotStarted("the pin count");
  Slot& slot = Find(module);
  if (extra_pins < 0 || extra_pins > 256) {
    throw HostError("module " + module + ": repeat count must be 0 to 256");
  }
  const PinDeclaration& last = slot.table.back();
  if (extra_pins > 0 && (!last.IsDsp() || (last.flags & IO_REPEATING) == 0)) {
    throw HostError("module " + module + " has no repeating pin");
  }
  slot.table = ProbePinTable(*slot.library, m_host_version);
  slot.extra_pins = extra_pins;
  AppendRepeatedPins(&slot.table, extra_pins);
}

Host::Slot& Host::Find(const std::string& module) {
  auto it = m_by_name.find(module);
  if (it == m_by_name.end()) throw HostError("unknown module \"" + module + "\"");
  return *it->second;
}

const Host::Slot& Host::Find(const std::string& module) const {
  auto it = m_by_name.find(module);
  if (it == m_by_name.end()) throw HostError("unknown module \"" + module + "\"");
  return *it->second;
}

Host::Slot* Host::SlotOf(const DspInstance& instance) {
  auto it = m_by_object.find(&instance);
  return it == m_by_object.end() ? nullptr : it->second;
}

Host::Slot* Host::SlotOf(const GuiInstance& gui) {
  auto it = m_by_object.find(&gui);
  return it == m_by_object.end() ? nullptr : it->second;
}

const PinDeclaration& Host::Resolve(const Slot& slot, const PinRef& pin) const {
  if (pin.index >= 0) {
    if (pin.index < static_cast<int32_t>(slot.table.size())) return slot.table[pin.index];
    throw HostError("module " + slot.name + " has no pin #" + std::to_string(pin.index));
  }
  // "#3" names a pin by index, for pins whose names repeat.
  if (pin.name.size() > 1 && pin.name[0] == '#') {
    const std::string digits = pin.name.substr(1);
    if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() < 6) {
      return Resolve(slot, PinRef(std::stoi(digits)));
    }
  }
  for (const auto& declaration : slot.table) {
    if (declaration.name == pin.name) return declaration;
  }
  throw HostError("module " + slot.name + " has no pin \"" + pin.name + "\"");
}

std::string Host::Where(const Slot& slot, const PinDeclaration& pin) const {
  return "module " + slot.name + " pin \"" + pin.name + "\"";
}

VoiceGroup* Host::GroupOf(const std::string& module) {
  for (auto& group : m_groups) {
    if (std::find(group.modules.begin(), group.modules.end(), module) != group.modules.end()) {
      return &group;
    }
  }
  return nullptr;
}

void Host::Connect(const std::string& from_module, const PinRef& from_pin,
                   const std::string& to_module, const PinRef& to_pin) {
  RequireNotStarted("the connections");
  Slot& from = Find(from_module);
  Slot& to = Find(to_module);
  const PinDeclaration& out = Resolve(from, from_pin);
  const PinDeclaration& in = Resolve(to, to_pin);
  if (!out.IsOutput()) throw HostError(Where(from, out) + " is not an output");
  if (!in.IsInput()) throw HostError(Where(to, in) + " is not an input");
  // GUI pins connect among themselves: a GUI output to a GUI input.
  const bool gui_link = !out.IsDsp() || !in.IsDsp();
  if (gui_link && (!out.IsGui() || !in.IsGui())) {
    throw HostError("cannot connect " + Where(from, out) + " to " + Where(to, in) +
                    ": a GUI pin connects only to a GUI pin");
  }
  if (out.datatype != in.datatype) {
    throw HostError("cannot connect " + Where(from, out) + " (" + DataTypeName(out.datatype) +
                    ") to " + Where(to, in) + " (" + DataTypeName(in.datatype) +
                    "): data types differ");
  }
  if (to.connected_inputs.count(in.declaration)) {
    throw HostError(Where(to, in) + " is already connected");
  }
  if (to.sources.count(in.declaration)) {
    throw HostError(Where(to, in) + " already plays an audio source");
  }
  to.connected_inputs.insert(in.declaration);
  m_connections.push_back(Connection{from.name, out.declaration, to.name, in.declaration});
  if (gui_link) from.gui_links[out.declaration].emplace_back(&to, in.declaration);
}

void Host::AddVoiceGroup(const VoiceGroup& group) {
  RequireNotStarted("the voice groups");
  if (group.name.empty()) throw HostError("a voice group needs a name");
  for (const auto& other : m_groups) {
    if (other.name == group.name) throw HostError("voice group \"" + group.name + "\" exists");
  }
  if (group.voices < 1 || group.voices > 128) {
    throw HostError("voice group " + group.name + ": voices must be 1 to 128");
  }
  for (const auto& module : group.modules) {
    Find(module);
    if (GroupOf(module)) {
      throw HostError("module " + module + " is already in voice group " + GroupOf(module)->name);
    }
  }
  if (!group.gate_module.empty()) {
    if (std::find(group.modules.begin(), group.modules.end(), group.gate_module) ==
        group.modules.end()) {
      throw HostError("voice group " + group.name + ": gate module " + group.gate_module +
                      " is not in the group");
    }
    const PinDeclaration& gate = Resolve(Find(group.gate_module), group.gate_pin);
    if (!gate.IsInput()) throw HostError("voice group " + group.name + ": gate is not an input");
  }
  m_groups.push_back(group);
}

void Host::Set(const std::string& module, const PinRef& pin, const PinValue& value) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.IsGui()) {
    SetGui(module, pin, value);
    return;
  }
  if (!declaration.IsInput()) throw HostError(Where(slot, declaration) + " is not an input");
  if (slot.connected_inputs.count(declaration.declaration)) {
    throw HostError(Where(slot, declaration) +
                    " is connected; its value comes from the connection");
  }
  const RawValue raw = EncodeValue(declaration, value, Where(slot, declaration));
  if (!m_started) {
    slot.values[declaration.declaration] = raw;
    return;
  }
  QueueSet(slot, declaration, raw, m_now, -1);
}

void Host::SetAudioSource(const std::string& module, const PinRef& pin,
                          std::vector<float> samples) {
  RequireNotStarted("an audio source");
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.datatype != DT_FSAMPLE || !declaration.IsInput()) {
    throw HostError(Where(slot, declaration) + " is not an audio input");
  }
  if (slot.connected_inputs.count(declaration.declaration)) {
    throw HostError(Where(slot, declaration) + " is already connected");
  }
  slot.sources[declaration.declaration] =
      std::make_shared<const std::vector<float>>(std::move(samples));
}

void Host::SetGui(const std::string& module, const PinRef& pin, const PinValue& value) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (!declaration.IsGui()) throw HostError(Where(slot, declaration) + " is not a GUI pin");
  ApplyGuiValue(slot, declaration, EncodeValue(declaration, value, Where(slot, declaration)), true);
}

void Host::SetAt(int32_t clock, const std::string& module, const PinRef& pin, const PinValue& value,
                 int32_t voice) {
  TimelineEntry entry;
  entry.kind = TimelineEntry::Kind::Set;
  entry.clock = clock;
  entry.module = module;
  entry.pin = pin;
  entry.value = value;
  entry.voice = voice;
  AddTimelineEntry(entry);
}

void Host::SetGuiAt(int32_t clock, const std::string& module, const PinRef& pin,
                    const PinValue& value) {
  TimelineEntry entry;
  entry.kind = TimelineEntry::Kind::SetGui;
  entry.clock = clock;
  entry.module = module;
  entry.pin = pin;
  entry.value = value;
  AddTimelineEntry(entry);
}

void Host::GateAt(int32_t clock, const std::string& group, int32_t voice, bool on, double volts) {
  TimelineEntry entry;
  entry.kind = TimelineEntry::Kind::Gate;
  entry.clock = clock;
  entry.group = group;
  entry.voice = voice;
  entry.on = on;
  entry.value = PinValue(volts);
  AddTimelineEntry(entry);
}

void Host::ResetAt(int32_t clock, const std::string& module, ResetKind kind, int32_t index,
                   int32_t voice) {
  TimelineEntry entry;
  entry.kind = TimelineEntry::Kind::Reset;
  entry.clock = clock;
  entry.module = module;
  entry.reset = kind;
  entry.reset_index = index;
  entry.voice = voice;
  AddTimelineEntry(entry);
}

void Host::AddTimelineEntry(const TimelineEntry& entry) {
  if (entry.clock < 0) throw HostError("timeline: negative time " + std::to_string(entry.clock));
  // Check names and values now, so a bad entry fails where it is made.
  switch (entry.kind) {
    case TimelineEntry::Kind::Set:
    case TimelineEntry::Kind::SetGui: {
      Slot& slot = Find(entry.module);
      const PinDeclaration& pin = Resolve(slot, entry.pin);
      EncodeValue(pin, entry.value, Where(slot, pin));
      if (entry.kind == TimelineEntry::Kind::SetGui && !pin.IsGui()) {
        throw HostError(Where(slot, pin) + " is not a GUI pin");
      }
      if (entry.kind == TimelineEntry::Kind::Set && !pin.IsGui()) {
        if (!pin.IsInput()) throw HostError(Where(slot, pin) + " is not an input");
        if (slot.connected_inputs.count(pin.declaration)) {
          throw HostError(Where(slot, pin) + " is connected; its value comes from the connection");
        }
      }
      break;
    }
    case TimelineEntry::Kind::Gate: {
      const VoiceGroup* group = nullptr;
      for (const auto& candidate : m_groups) {
        if (candidate.name == entry.group) group = &candidate;
      }
      if (!group) throw HostError("timeline: unknown voice group \"" + entry.group + "\"");
      if (group->gate_module.empty()) {
        throw HostError("voice group " + entry.group + " has no gate pin");
      }
      if (entry.voice < 0 || entry.voice >= group->voices) {
        throw HostError("voice group " + entry.group + " has no voice " +
                        std::to_string(entry.voice));
      }
      break;
    }
    case TimelineEntry::Kind::Reset:
      Find(entry.module);
      break;
  }
  if (entry.voice >= 0 && entry.kind != TimelineEntry::Kind::Gate) {
    const VoiceGroup* group = GroupOf(entry.module);
    const int32_t voices = group ? group->voices : 1;
    if (entry.voice >= voices) {
      throw HostError("module " + entry.module + " has no voice " + std::to_string(entry.voice));
    }
  }
  m_timeline.push_back(entry);
  if (m_started) QueueEntry(entry);
}

void Host::Record(const std::string& module, const PinRef& pin) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.datatype != DT_FSAMPLE || !declaration.IsDsp()) {
    throw HostError(Where(slot, declaration) + " is not an audio pin");
  }
  Recording& recording = slot.recordings[declaration.declaration];
  const VoiceGroup* group = GroupOf(module);
  recording.voices.resize(static_cast<size_t>(group ? group->voices : 1));
}

const std::vector<float>& Host::Recorded(const std::string& module, const PinRef& pin,
                                         int32_t voice) const {
  const Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  auto it = slot.recordings.find(declaration.declaration);
  if (it == slot.recordings.end()) throw HostError(Where(slot, declaration) + " is not recorded");
  if (voice < 0) return it->second.mixed;
  if (voice >= static_cast<int32_t>(it->second.voices.size())) {
    throw HostError("module " + module + " has no voice " + std::to_string(voice));
  }
  return it->second.voices[voice];
}

DspInstance& Host::Dsp(const std::string& module, int32_t voice) {
  Slot& slot = Find(module);
  if (!m_started) Start();
  if (voice < 0 || voice >= static_cast<int32_t>(slot.clones.size())) {
    throw HostError("module " + module + " has no voice " + std::to_string(voice));
  }
  return *slot.clones[voice];
}

GuiInstance& Host::Gui(const std::string& module) {
  Slot& slot = Find(module);
  if (!m_started) Start();
  return *slot.gui;
}

ObservationLog& Host::Log(const std::string& module, int32_t voice) {
  return Dsp(module, voice).Log();
}

const float* Host::Buffer(const std::string& module, const PinRef& pin, int32_t voice) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.datatype != DT_FSAMPLE || declaration.dsp_index < 0) {
    throw HostError(Where(slot, declaration) + " is not an audio pin");
  }
  return Dsp(module, voice).Pins()[declaration.dsp_index].buffer;
}

PinValue Host::Value(const std::string& module, const PinRef& pin, int32_t voice) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.IsGui() || !m_started || declaration.dsp_index < 0) {
    return DecodeValue(declaration, slot.StoredRaw(declaration));
  }
  const DspPin& dsp = Dsp(module, voice).Pins()[declaration.dsp_index];
  if (declaration.IsOutput()) {
    return DecodeValue(declaration, Dsp(module, voice).ReadOutput(declaration.dsp_index));
  }
  return DecodeValue(declaration, dsp.value);
}

int32_t Host::Status(const std::string& module, const PinRef& pin, int32_t voice) {
  Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  if (declaration.dsp_index < 0) throw HostError(Where(slot, declaration) + " is a GUI-only pin");
  return Dsp(module, voice).Pins()[declaration.dsp_index].status;
}

std::vector<std::string> Host::ModuleNames() const {
  std::vector<std::string> names;
  for (const auto& slot : m_slots) names.push_back(slot->name);
  return names;
}

const std::string& Host::LibraryPath(const std::string& module) const {
  return Find(module).library_path;
}

const ModuleIdentity& Host::Identity(const std::string& module) const {
  return Find(module).library->Identity();
}

const std::vector<PinDeclaration>& Host::PinTable(const std::string& module) const {
  return Find(module).table;
}

const PinDeclaration& Host::Pin(const std::string& module, const PinRef& pin) const {
  return Resolve(Find(module), pin);
}

int32_t Host::RepeatCount(const std::string& module) const { return Find(module).extra_pins; }

PinValue Host::StoredValue(const std::string& module, const PinRef& pin) const {
  const Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  return DecodeValue(declaration, slot.StoredRaw(declaration));
}

bool Host::IsConnectedInput(const std::string& module, const PinRef& pin) const {
  const Slot& slot = Find(module);
  const PinDeclaration& declaration = Resolve(slot, pin);
  return slot.connected_inputs.count(declaration.declaration) != 0 ||
         slot.sources.count(declaration.declaration) != 0;
}

const std::map<int32_t, std::shared_ptr<const std::vector<float>>>& Host::AudioSources(
    const std::string& module) const {
  return Find(module).sources;
}

}  // namespace modhost
