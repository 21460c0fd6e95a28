// What the host does with the calls its objects make: output status to the
// inputs that follow it, clone enumeration, and the GUI's pins and messages.
#include <algorithm>
#include <cstring>

#include "host.h"
#include "host_slot.h"

namespace modhost {

void Host::OnTransmit(DspInstance& source, int32_t pin, int32_t status, int32_t stamp) {
  Slot* slot = SlotOf(source);
  if (!slot) return;
  DspPin& out = source.Pins()[pin];
  const PinDeclaration& declaration = *out.declaration;
  if (!declaration.IsOutput()) return;

  PendingEvent event;
  event.time = stamp;
  event.status = status;
  if (declaration.datatype != DT_FSAMPLE) {
    out.value = source.ReadOutput(pin);
    event.write_value = true;
    event.value = out.value;
  }
  for (const auto& [target, target_pin] : out.consumers) {
    event.pin = target_pin;
    PendingEvent delivered = event;
    // A module feeding its own input hears of it one sample later at the
    // earliest; at the same sample it would never get past that sample.
    if (target == &source && delivered.time <= source.Clock()) delivered.time = source.Clock() + 1;
    target->Queue(delivered);
  }
  auto mixed = slot->mono_consumers.find(pin);
  if (mixed != slot->mono_consumers.end()) {
    // The mix streams while any voice streams.
    for (auto& clone : slot->clones) {
      if (clone->Pins()[pin].status == PS_STREAMING) event.status = PS_STREAMING;
    }
    for (const auto& [target, target_pin] : mixed->second) {
      event.pin = target_pin;
      target->Queue(event);
    }
  }
  if (declaration.IsGui() && source.Voice() == 0) {
    slot->values[declaration.declaration] = out.value;
    FollowGuiLinks(*slot, declaration, out.value, 0);
    auto& changed = slot->changed_for_gui;
    if (std::find(changed.begin(), changed.end(), declaration.declaration) == changed.end()) {
      changed.push_back(declaration.declaration);
    }
  }
}

SEModuleRecord* Host::FirstClone(DspInstance& caller) {
  Slot* slot = SlotOf(caller);
  if (!slot || slot->clones.empty()) return nullptr;
  return slot->clones.front()->Record();
}

SEModuleRecord* Host::NextClone(DspInstance& caller) {
  Slot* slot = SlotOf(caller);
  if (!slot) return nullptr;
  const size_t next = static_cast<size_t>(caller.Voice()) + 1;
  return next < slot->clones.size() ? slot->clones[next]->Record() : nullptr;
}

void Host::OnSendToGui(DspInstance& source, int32_t index, int32_t value, void* ptr) {
  Slot* slot = SlotOf(source);
  if (slot) slot->to_gui.push_back(GuiNotice{index, value, ptr});
}

namespace {

const PinDeclaration* GuiPin(const std::vector<PinDeclaration>& table, int32_t pin) {
  if (pin < 0 || pin >= static_cast<int32_t>(table.size())) return nullptr;
  return table[pin].IsGui() ? &table[pin] : nullptr;
}

}  // namespace

void Host::FollowGuiLinks(Slot& slot, const PinDeclaration& pin, const RawValue& raw,
                          int32_t depth) {
  auto links = slot.gui_links.find(pin.declaration);
  // A loop of GUI connections stops after a few hops instead of recursing forever.
  if (links == slot.gui_links.end() || depth > 16) return;
  for (const auto& [target, declaration] : links->second) {
    ApplyGuiValue(*target, target->table[declaration], raw, true, depth + 1);
  }
}

void Host::ApplyGuiValue(Slot& slot, const PinDeclaration& pin, const RawValue& raw, bool echo,
                         int32_t depth) {
  slot.values[pin.declaration] = raw;
  FollowGuiLinks(slot, pin, raw, depth);
  if (!m_started) return;
  if (echo && slot.gui && slot.gui->Exists()) slot.gui->Dispatch(GUI_PIN_CHANGED, pin.declaration);
  if ((pin.flags & IO_UI_AND_DSP) != 0 && pin.dsp_index >= 0) {
    auto& shared = slot.shared_to_dsp;
    if (std::find(shared.begin(), shared.end(), pin.declaration) == shared.end()) {
      shared.push_back(pin.declaration);
    }
  }
}

bool Host::StoreGuiWrite(GuiInstance& gui, int32_t pin, const RawValue& raw) {
  Slot* slot = SlotOf(gui);
  if (!slot) return false;
  const PinDeclaration* declaration = GuiPin(slot->table, pin);
  if (!declaration) return false;
  slot->values[pin] = raw;
  // The GUI hears of its own write before the write returns.
  gui.Dispatch(GUI_PIN_CHANGED, pin);
  FollowGuiLinks(*slot, *declaration, raw, 0);
  if ((declaration->flags & IO_UI_AND_DSP) != 0 && declaration->dsp_index >= 0 && m_started) {
    auto& shared = slot->shared_to_dsp;
    if (std::find(shared.begin(), shared.end(), pin) == shared.end()) shared.push_back(pin);
  }
  return true;
}

const char* Host::GuiGetText(GuiInstance& gui, int32_t pin) {
  static const char EMPTY[] = "";
  Slot* slot = SlotOf(gui);
  if (!slot) return EMPTY;
  const PinDeclaration* declaration = GuiPin(slot->table, pin);
  if (!declaration || declaration->datatype != DT_TEXT) return EMPTY;
  auto it = slot->values.find(pin);
  if (it == slot->values.end()) it = slot->values.emplace(pin, DefaultValue(*declaration)).first;
  return it->second.text.c_str();
}

bool Host::GuiSetText(GuiInstance& gui, int32_t pin, const char* text) {
  Slot* slot = SlotOf(gui);
  if (!slot) return false;
  const PinDeclaration* declaration = GuiPin(slot->table, pin);
  if (!declaration || declaration->datatype != DT_TEXT) return false;
  RawValue raw;
  raw.text = text ? text : "";
  return StoreGuiWrite(gui, pin, raw);
}

bool Host::GuiGetPin(GuiInstance& gui, int32_t pin, int32_t* bits) {
  Slot* slot = SlotOf(gui);
  if (!slot) return false;
  const PinDeclaration* declaration = GuiPin(slot->table, pin);
  if (!declaration || declaration->datatype == DT_TEXT) return false;
  const RawValue raw = slot->StoredRaw(*declaration);
  if (declaration->datatype == DT_FLOAT || declaration->datatype == DT_FSAMPLE) {
    std::memcpy(bits, &raw.f, sizeof raw.f);
  } else {
    *bits = raw.i;
  }
  return true;
}

bool Host::GuiSetPin(GuiInstance& gui, int32_t pin, int32_t value, float opt) {
  Slot* slot = SlotOf(gui);
  if (!slot) return false;
  const PinDeclaration* declaration = GuiPin(slot->table, pin);
  if (!declaration || declaration->datatype == DT_TEXT) return false;
  RawValue raw = slot->StoredRaw(*declaration);
  switch (declaration->datatype) {
    case DT_FLOAT:
    case DT_FSAMPLE:
      raw.f = opt;
      break;
    case DT_ENUM:
      raw.i = static_cast<int16_t>(value);
      break;
    case DT_BOOL:
      raw.i = value != 0 ? 1 : 0;
      break;
    default:
      raw.i = value;
      break;
  }
  return StoreGuiWrite(gui, pin, raw);
}

void Host::GuiSendToDsp(GuiInstance& gui, int32_t index, int32_t value, void* ptr) {
  Slot* slot = SlotOf(gui);
  if (slot) slot->to_dsp.push_back(GuiNotice{index, value, ptr});
}

}  // namespace modhost
