// The substitute host: loads module libraries, makes their DSP and GUI
// objects, connects pins, runs everything block by block with timed events
// at their exact samples, and routes status, sleep, clones, resets and the
// traffic between GUI and DSP objects. See docs/host-api.md.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dsp_instance.h"
#include "gui_instance.h"
#include "host_error.h"
#include "module_library.h"
#include "observation.h"
#include "pin_codec.h"
#include "pin_table.h"
#include "pin_value.h"

namespace modhost {

// Modules played by several voices: each member gets one DSP object per
// voice. A note (gate on) on a voice resets that voice's objects first.
struct VoiceGroup {
  std::string name;
  int32_t voices = 1;
  std::vector<std::string> modules;
  std::string gate_module;  // where GateAt writes the gate value
  PinRef gate_pin;
  bool note_event_reset = true;   // EV_RESET at the note
  bool note_module_reset = true;  // MOD_RESET at the note
};

enum class ResetKind { Module, Event, Both };

// One timed action of the patch, kept so that a saved patch replays it.
struct TimelineEntry {
  enum class Kind { Set, SetGui, Gate, Reset };
  Kind kind = Kind::Set;
  int32_t clock = 0;
  std::string module;  // Set, SetGui, Reset
  std::string group;   // Gate
  PinRef pin;          // Set, SetGui
  PinValue value;      // Set, SetGui; Gate: volts
  int32_t voice = -1;  // -1: every voice
  bool on = true;      // Gate
  ResetKind reset = ResetKind::Both;
  int32_t reset_index = 0;  // MOD_RESET index
};

struct Connection {
  std::string from_module;
  int32_t from_pin;  // declaration index
  std::string to_module;
  int32_t to_pin;
};

class Host : private DspRouter, private GuiRouter {
 public:
  static constexpr int32_t DEFAULT_HOST_VERSION = 200000;

  Host();
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Settings; fixed once the host has started.
  void SetSampleRate(float sample_rate);
  void SetBlockSize(int32_t block_size);
  void SetHostVersion(int32_t version);
  float SampleRate() const { return m_sample_rate; }
  int32_t BlockSize() const { return m_block_size; }
  int32_t HostVersion() const override { return m_host_version; }
  // Observation logs cost memory on long renders; on by default.
  void SetLogging(bool on) { m_logging = on; }
  // GUI objects are initialised with this flag (true: state comes from a stored patch).
  void SetLoadedFromPatch(bool loaded) { m_loaded_from_patch = loaded; }

  // Building the patch (before Start). AddModule returns the module's name
  // (made unique from the module's own name when none is given).
  std::string AddModule(const std::string& library_path, const std::string& name = "");
  // Extra pins for a module whose last pin repeats.
  void SetRepeatCount(const std::string& module, int32_t extra_pins);
  void Connect(const std::string& from_module, const PinRef& from_pin, const std::string& to_module,
               const PinRef& to_pin);
  void AddVoiceGroup(const VoiceGroup& group);

  // Values. Before Start they are the stored values the objects open with;
  // afterwards they take effect at the current clock.
  void Set(const std::string& module, const PinRef& pin, const PinValue& value);
  // An audio input played from samples in signal units (1.0 = 10 V) from
  // clock 0; silence after the end.
  void SetAudioSource(const std::string& module, const PinRef& pin, std::vector<float> samples);
  // A GUI pin written by the host (as a user edit): stored, echoed to the GUI
  // object, and forwarded to every DSP object when the pin is shared.
  void SetGui(const std::string& module, const PinRef& pin, const PinValue& value);

  // Timeline (clocks in samples).
  void SetAt(int32_t clock, const std::string& module, const PinRef& pin, const PinValue& value,
             int32_t voice = -1);
  void SetGuiAt(int32_t clock, const std::string& module, const PinRef& pin, const PinValue& value);
  void GateAt(int32_t clock, const std::string& group, int32_t voice, bool on, double volts = 10.0);
  void ResetAt(int32_t clock, const std::string& module, ResetKind kind = ResetKind::Both,
               int32_t index = 0, int32_t voice = -1);
  void AddTimelineEntry(const TimelineEntry& entry);

  // Running.
  void Start();  // makes and opens every object; Run starts the host if needed
  bool Started() const { return m_started; }
  void Run(int32_t samples);
  int32_t Now() const { return m_now; }

  // Reading results.
  // Keeps every sample of an audio pin from now on (voices summed, and each voice).
  void Record(const std::string& module, const PinRef& pin);
  const std::vector<float>& Recorded(const std::string& module, const PinRef& pin,
                                     int32_t voice = -1) const;
  // The pin's current block buffer.
  const float* Buffer(const std::string& module, const PinRef& pin, int32_t voice = 0);
  // An input's stored value, an output's last transmitted value, a GUI pin's value.
  PinValue Value(const std::string& module, const PinRef& pin, int32_t voice = 0);
  int32_t Status(const std::string& module, const PinRef& pin, int32_t voice = 0);

  ObservationLog& Log(const std::string& module, int32_t voice = 0);
  DspInstance& Dsp(const std::string& module, int32_t voice = 0);
  GuiInstance& Gui(const std::string& module);
  // Delivers what the GUI sent (notifications, shared pin values) now,
  // without waiting for the next block.
  void DeliverGuiTraffic();

  // The patch as built (for saving and inspection).
  std::vector<std::string> ModuleNames() const;
  const std::string& LibraryPath(const std::string& module) const;
  const ModuleIdentity& Identity(const std::string& module) const;
  const std::vector<PinDeclaration>& PinTable(const std::string& module) const;
  const PinDeclaration& Pin(const std::string& module, const PinRef& pin) const;
  int32_t RepeatCount(const std::string& module) const;
  // The stored value of an input or GUI pin (its default when never set).
  PinValue StoredValue(const std::string& module, const PinRef& pin) const;
  bool IsConnectedInput(const std::string& module, const PinRef& pin) const;
  const std::vector<Connection>& Connections() const { return m_connections; }
  const std::vector<VoiceGroup>& VoiceGroups() const { return m_groups; }
  const std::vector<TimelineEntry>& Timeline() const { return m_timeline; }
  const std::map<int32_t, std::shared_ptr<const std::vector<float>>>& AudioSources(
      const std::string& module) const;

 private:
  struct Slot;
  struct Recording {
    std::vector<float> mixed;
    std::vector<std::vector<float>> voices;
  };
  struct GuiNotice {
    int32_t index;
    int32_t value;
    void* ptr;
  };

  Slot& Find(const std::string& module);
  const Slot& Find(const std::string& module) const;
  Slot* SlotOf(const DspInstance& instance);
  Slot* SlotOf(const GuiInstance& gui);
  const PinDeclaration& Resolve(const Slot& slot, const PinRef& pin) const;
  std::string Where(const Slot& slot, const PinDeclaration& pin) const;
  VoiceGroup* GroupOf(const std::string& module);
  void RequireNotStarted(const char* what) const;
  void Reprobe();

  void BuildObjects();
  void WireConnections();
  void OrderModules();
  void QueueFirstStatus();
  void QueueEntry(const TimelineEntry& entry);
  void QueueSet(Slot& slot, const PinDeclaration& pin, const RawValue& raw, int32_t clock,
                int32_t voice);
  void ApplyGuiValue(Slot& slot, const PinDeclaration& pin, const RawValue& raw, bool echo,
                     int32_t depth = 0);
  void FollowGuiLinks(Slot& slot, const PinDeclaration& pin, const RawValue& raw, int32_t depth);
  void BeginBlock(int32_t block_start);
  void EndBlock();
  void MixAndRecord(Slot& slot, int32_t block_start, int32_t from, int32_t to);

  // DspRouter
  void OnTransmit(DspInstance& source, int32_t pin, int32_t status, int32_t stamp) override;
  SEModuleRecord* FirstClone(DspInstance& caller) override;
  SEModuleRecord* NextClone(DspInstance& caller) override;
  void OnSendToGui(DspInstance& source, int32_t index, int32_t value, void* ptr) override;
  // GuiRouter
  const char* GuiGetText(GuiInstance& gui, int32_t pin) override;
  bool GuiSetText(GuiInstance& gui, int32_t pin, const char* text) override;
  bool GuiGetPin(GuiInstance& gui, int32_t pin, int32_t* bits) override;
  bool GuiSetPin(GuiInstance& gui, int32_t pin, int32_t value, float opt) override;
  void GuiSendToDsp(GuiInstance& gui, int32_t index, int32_t value, void* ptr) override;
  bool StoreGuiWrite(GuiInstance& gui, int32_t pin, const RawValue& raw);

  float m_sample_rate = 44100.0f;
  int32_t m_block_size = 256;
  int32_t m_host_version = DEFAULT_HOST_VERSION;
  bool m_logging = true;
  bool m_loaded_from_patch = false;
  bool m_started = false;
  int32_t m_now = 0;

  std::vector<std::unique_ptr<Slot>> m_slots;  // in the order they were added
  std::vector<Slot*> m_order;                  // in connection order
  std::map<std::string, Slot*> m_by_name;
  std::map<const void*, Slot*> m_by_object;  // DspInstance / GuiInstance -> slot
  std::vector<Connection> m_connections;
  std::vector<VoiceGroup> m_groups;
  std::vector<TimelineEntry> m_timeline;
  std::vector<TimelineEntry> m_gui_timeline;  // pending, by clock
};

}  // namespace modhost
