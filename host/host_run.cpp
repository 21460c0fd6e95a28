// Making and opening the objects, and running them block by block.
#include <algorithm>
#include <limits>

#include "host.h"
#include "host_slot.h"

namespace modhost {

void Host::Start() {
  if (m_started) return;
  try {
    BuildObjects();
    WireConnections();
    OrderModules();
  } catch (...) {
    for (auto& slot : m_slots) {
      slot->gui.reset();
      slot->clones.clear();
      slot->mix.clear();
      slot->mono_consumers.clear();
    }
    m_by_object.clear();
    throw;
  }
  m_started = true;
  m_now = 0;
  for (Slot* slot : m_order) {
    for (auto& clone : slot->clones) clone->Open(m_sample_rate, m_block_size);
  }
  for (Slot* slot : m_order) {
    if (slot->gui->Exists()) slot->gui->Initialise(m_loaded_from_patch);
  }
  QueueFirstStatus();
  for (const auto& entry : m_timeline) QueueEntry(entry);
}

void Host::BuildObjects() {
  for (auto& owned : m_slots) {
    Slot& slot = *owned;
    slot.group = GroupOf(slot.name);
    slot.clones.clear();
    for (int32_t voice = 0; voice < slot.Voices(); ++voice) {
      auto clone = std::make_unique<DspInstance>(slot.library, static_cast<DspRouter*>(this),
                                                 slot.name, voice, slot.extra_pins);
      if (clone->Declarations().size() != slot.table.size()) {
        throw HostError("module " + slot.name + ": its objects declare different pin tables");
      }
      m_by_object[clone.get()] = &slot;
      clone->Log().Enable(m_logging);
      clone->AllocateBuffers(m_block_size);
      for (const auto& pin : clone->Declarations()) {
        if (pin.dsp_index < 0 || !pin.IsInput()) continue;
        if (slot.connected_inputs.count(pin.declaration)) continue;
        clone->SetInitialValue(pin.dsp_index, slot.StoredRaw(pin));
        auto source = slot.sources.find(pin.declaration);
        if (source != slot.sources.end()) {
          DspPin& dsp = clone->Pins()[pin.dsp_index];
          dsp.stream = source->second;
          dsp.connected = true;
        }
      }
      slot.clones.push_back(std::move(clone));
    }
    slot.gui =
        std::make_unique<GuiInstance>(slot.library, static_cast<GuiRouter*>(this), slot.name);
    m_by_object[slot.gui.get()] = &slot;
    slot.gui->Log().Enable(m_logging);
    slot.gui->Create();
  }
}

void Host::WireConnections() {
  for (const auto& connection : m_connections) {
    Slot& from = Find(connection.from_module);
    Slot& to = Find(connection.to_module);
    const PinDeclaration& out = from.table[connection.from_pin];
    const PinDeclaration& in = to.table[connection.to_pin];
    if (!out.IsDsp() || !in.IsDsp()) continue;  // GUI pins are linked through the storage
    auto link = [&](DspInstance& source, float* buffer, DspInstance& target) {
      DspPin& target_pin = target.Pins()[in.dsp_index];
      target_pin.connected = true;
      target_pin.source = &source;
      target_pin.source_pin = out.dsp_index;
      if (in.datatype == DT_FSAMPLE) target.BindBuffer(in.dsp_index, buffer);
    };
    if (from.group == to.group || !from.group) {
      for (int32_t voice = 0; voice < to.Voices(); ++voice) {
        DspInstance& source = *from.clones[from.group ? voice : 0];
        DspPin& source_pin = source.Pins()[out.dsp_index];
        source_pin.connected = true;
        source_pin.consumers.emplace_back(to.clones[voice].get(), in.dsp_index);
        link(source, source_pin.buffer, *to.clones[voice]);
      }
    } else if (!to.group) {
      if (out.datatype != DT_FSAMPLE) {
        throw HostError("cannot connect " + Where(from, out) + " of voice group " +
                        from.group->name + " to " + Where(to, in) +
                        ": only audio outputs of voices are mixed");
      }
      auto& mix = from.mix[out.dsp_index];
      mix.assign(static_cast<size_t>(m_block_size), 0.0f);
      for (auto& clone : from.clones) clone->Pins()[out.dsp_index].connected = true;
      from.mono_consumers[out.dsp_index].emplace_back(to.clones[0].get(), in.dsp_index);
      link(*from.clones[0], mix.data(), *to.clones[0]);
    } else {
      throw HostError("cannot connect " + Where(from, out) + " to " + Where(to, in) +
                      ": they are in different voice groups");
    }
  }
}

void Host::OrderModules() {
  // Sources before the modules they feed; ties (and loops) in the order the
  // modules were added. A loop's feedback arrives one block late.
  const size_t n = m_slots.size();
  std::map<const Slot*, size_t> position;
  for (size_t k = 0; k < n; ++k) position[m_slots[k].get()] = k;
  std::vector<std::vector<size_t>> feeds(n);
  std::vector<int> waiting(n, 0);
  for (const auto& connection : m_connections) {
    const size_t from = position[&Find(connection.from_module)];
    const size_t to = position[&Find(connection.to_module)];
    if (from == to) continue;
    feeds[from].push_back(to);
    ++waiting[to];
  }
  std::vector<bool> placed(n, false);
  m_order.clear();
  while (m_order.size() < n) {
    size_t pick = n;
    for (size_t k = 0; k < n && pick == n; ++k) {
      if (!placed[k] && waiting[k] == 0) pick = k;
    }
    if (pick == n) {
      for (size_t k = 0; k < n && pick == n; ++k) {
        if (!placed[k]) pick = k;
      }
    }
    placed[pick] = true;
    m_order.push_back(m_slots[pick].get());
    for (size_t next : feeds[pick]) --waiting[next];
  }
}

void Host::QueueFirstStatus() {
  for (Slot* slot : m_order) {
    for (auto& clone : slot->clones) {
      auto& pins = clone->Pins();
      for (int32_t index = 0; index < static_cast<int32_t>(pins.size()); ++index) {
        DspPin& pin = pins[index];
        if (!pin.declaration->IsInput() || clone->HasQueuedStatus(index)) continue;
        PendingEvent event;
        event.time = 0;
        event.pin = index;
        if (pin.stream) {
          event.status = PS_STREAMING;
        } else if (pin.source) {
          event.status = pin.source->Pins()[pin.source_pin].status;
          if (pin.declaration->datatype != DT_FSAMPLE) {
            event.write_value = true;
            event.value = pin.source->ReadOutput(pin.source_pin);
          }
        } else {
          // The stored value has just been given to the module.
          event.status = PS_ONE_CHANGE;
        }
        clone->Queue(event);
      }
    }
  }
}

void Host::QueueSet(Slot& slot, const PinDeclaration& pin, const RawValue& raw, int32_t clock,
                    int32_t voice) {
  for (int32_t v = 0; v < static_cast<int32_t>(slot.clones.size()); ++v) {
    if (voice >= 0 && v != voice) continue;
    PendingEvent event;
    event.time = clock;
    event.pin = pin.dsp_index;
    event.status = PS_ONE_CHANGE;
    event.write_value = true;
    event.value = raw;
    slot.clones[v]->Queue(event);
  }
}

void Host::QueueEntry(const TimelineEntry& entry) {
  const int32_t clock = std::max(entry.clock, m_now);
  switch (entry.kind) {
    case TimelineEntry::Kind::Set: {
      Slot& slot = Find(entry.module);
      const PinDeclaration& pin = Resolve(slot, entry.pin);
      if (!pin.IsGui()) {
        QueueSet(slot, pin, EncodeValue(pin, entry.value, Where(slot, pin)), clock, entry.voice);
        return;
      }
      [[fallthrough]];
    }
    case TimelineEntry::Kind::SetGui: {
      auto at = std::upper_bound(
          m_gui_timeline.begin(), m_gui_timeline.end(), entry.clock,
          [](int32_t time, const TimelineEntry& queued) { return time < queued.clock; });
      m_gui_timeline.insert(at, entry);
      return;
    }
    case TimelineEntry::Kind::Gate: {
      const VoiceGroup* group = nullptr;
      for (const auto& candidate : m_groups) {
        if (candidate.name == entry.group) group = &candidate;
      }
      if (!group) return;
      if (entry.on) {
        // A new note on a voice starts that voice afresh.
        for (const auto& module : group->modules) {
          DspInstance& clone = *Find(module).clones[entry.voice];
          PendingEvent reset;
          reset.time = clock;
          if (group->note_module_reset) {
            reset.kind = PendingKind::ModReset;
            clone.Queue(reset);
          }
          if (group->note_event_reset) {
            reset.kind = PendingKind::EventReset;
            clone.Queue(reset);
          }
        }
      }
      Slot& slot = Find(group->gate_module);
      const PinDeclaration& pin = Resolve(slot, group->gate_pin);
      const PinValue level = entry.on ? entry.value : PinValue(0.0);
      QueueSet(slot, pin, EncodeValue(pin, level, Where(slot, pin)), clock, entry.voice);
      return;
    }
    case TimelineEntry::Kind::Reset: {
      Slot& slot = Find(entry.module);
      for (int32_t v = 0; v < static_cast<int32_t>(slot.clones.size()); ++v) {
        if (entry.voice >= 0 && v != entry.voice) continue;
        PendingEvent reset;
        reset.time = clock;
        reset.index = entry.reset_index;
        if (entry.reset != ResetKind::Event) {
          reset.kind = PendingKind::ModReset;
          slot.clones[v]->Queue(reset);
        }
        if (entry.reset != ResetKind::Module) {
          reset.kind = PendingKind::EventReset;
          slot.clones[v]->Queue(reset);
        }
      }
      return;
    }
  }
}

void Host::Run(int32_t samples) {
  if (samples < 0) throw HostError("cannot run a negative number of samples");
  if (!m_started) Start();
  if (static_cast<int64_t>(m_now) + samples >
      std::numeric_limits<int32_t>::max() - static_cast<int64_t>(m_block_size)) {
    throw HostError("the sample clock would pass its 32-bit range");
  }
  while (samples > 0) {
    const int32_t block_start = m_now - m_now % m_block_size;
    if (m_now == block_start) BeginBlock(block_start);
    const int32_t end = std::min(block_start + m_block_size, m_now + samples);
    for (Slot* slot : m_order) {
      for (auto& clone : slot->clones) clone->RunRange(m_now, end);
      MixAndRecord(*slot, block_start, m_now, end);
    }
    samples -= end - m_now;
    m_now = end;
    if (m_now == block_start + m_block_size) EndBlock();
  }
}

void Host::BeginBlock(int32_t block_start) {
  while (!m_gui_timeline.empty() && m_gui_timeline.front().clock <= block_start) {
    const TimelineEntry entry = m_gui_timeline.front();
    m_gui_timeline.erase(m_gui_timeline.begin());
    Slot& slot = Find(entry.module);
    const PinDeclaration& pin = Resolve(slot, entry.pin);
    ApplyGuiValue(slot, pin, EncodeValue(pin, entry.value, Where(slot, pin)), true);
  }
  for (Slot* slot : m_order) {
    for (auto& clone : slot->clones) clone->BeginBlock(block_start, m_block_size);
  }
  DeliverGuiTraffic();
}

void Host::DeliverGuiTraffic() {
  if (!m_started) return;
  for (Slot* slot : m_order) {
    const std::vector<GuiNotice> notices = std::move(slot->to_dsp);
    slot->to_dsp.clear();
    for (const auto& notice : notices) {
      for (auto& clone : slot->clones) {
        clone->Dispatch(MOD_NOTIFY, notice.index, notice.value, notice.ptr, 0.0f);
      }
    }
    const std::vector<int32_t> shared = std::move(slot->shared_to_dsp);
    slot->shared_to_dsp.clear();
    for (int32_t declaration : shared) {
      const PinDeclaration& pin = slot->table[declaration];
      QueueSet(*slot, pin, slot->StoredRaw(pin), m_now, -1);
    }
  }
}

void Host::EndBlock() {
  for (Slot* slot : m_order) {
    if (!slot->gui->Exists()) {
      slot->to_gui.clear();
      slot->changed_for_gui.clear();
      continue;
    }
    const std::vector<GuiNotice> messages = std::move(slot->to_gui);
    slot->to_gui.clear();
    for (const auto& message : messages) {
      slot->gui->Dispatch(GUI_MODULE_MESSAGE, message.index, message.value, message.ptr);
    }
    const std::vector<int32_t> changed = std::move(slot->changed_for_gui);
    slot->changed_for_gui.clear();
    for (int32_t declaration : changed) slot->gui->Dispatch(GUI_PIN_CHANGED, declaration);
  }
}

void Host::MixAndRecord(Slot& slot, int32_t block_start, int32_t from, int32_t to) {
  const int32_t begin = from - block_start;
  const int32_t end = to - block_start;
  for (auto& [pin, mix] : slot.mix) {
    std::fill(mix.begin() + begin, mix.begin() + end, 0.0f);
    for (auto& clone : slot.clones) {
      const float* buffer = clone->Pins()[pin].buffer;
      for (int32_t k = begin; k < end; ++k) mix[k] += buffer[k];
    }
  }
  for (auto& [declaration, recording] : slot.recordings) {
    const int32_t pin = slot.table[declaration].dsp_index;
    if (recording.voices.size() < slot.clones.size()) recording.voices.resize(slot.clones.size());
    const size_t offset = recording.mixed.size();
    recording.mixed.resize(offset + static_cast<size_t>(end - begin), 0.0f);
    for (size_t v = 0; v < slot.clones.size(); ++v) {
      const float* buffer = slot.clones[v]->Pins()[pin].buffer;
      recording.voices[v].insert(recording.voices[v].end(), buffer + begin, buffer + end);
      for (int32_t k = begin; k < end; ++k) recording.mixed[offset + (k - begin)] += buffer[k];
    }
  }
}

}  // namespace modhost
