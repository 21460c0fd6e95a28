// One DSP object of a module: its record, the pins the host created for it
// (buffers and value storage written into the module's declared variables),
// its queue of timed events and the observation log of everything it did.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "module_library.h"
#include "observation.h"
#include "pin_codec.h"
#include "pin_table.h"

namespace modhost {

class DspInstance;

// What a DSP object's calls reach beyond the object itself.
class DspRouter {
 public:
  virtual ~DspRouter() = default;
  virtual int32_t HostVersion() const = 0;
  virtual void OnTransmit(DspInstance& source, int32_t pin, int32_t status, int32_t stamp) = 0;
  virtual SEModuleRecord* FirstClone(DspInstance& caller) = 0;
  virtual SEModuleRecord* NextClone(DspInstance& caller) = 0;
  virtual void OnSendToGui(DspInstance& source, int32_t index, int32_t value, void* ptr) = 0;
};

struct DspPin {
  const PinDeclaration* declaration = nullptr;
  std::vector<float> own_buffer;
  float* buffer = nullptr;  // what the module reads or writes: its own, a source's or a mix
  RawValue value;           // non-audio pins: the current value
  std::vector<char> text;   // what a text pin's char* variable points at
  int32_t status = PS_STATIC;
  bool connected = false;
  // Unconnected audio inputs hold a constant or play a stream of samples.
  float constant = 0.0f;
  bool buffer_holds_constant = false;
  std::shared_ptr<const std::vector<float>> stream;
  // Outputs: the inputs that follow this pin (instance, DSP pin index).
  std::vector<std::pair<DspInstance*, int32_t>> consumers;
  // Connected inputs: the output they follow.
  DspInstance* source = nullptr;
  int32_t source_pin = -1;
};

enum class PendingKind { Status, EventReset, ModReset, Notify };

struct PendingEvent {
  int32_t time = 0;
  PendingKind kind = PendingKind::Status;
  int32_t pin = 0;  // Status: DSP pin index
  int32_t status = PS_ONE_CHANGE;
  bool write_value = false;  // Status: store `value` into the pin first
  RawValue value;
  int32_t index = 0;    // ModReset, Notify
  int32_t param = 0;    // Notify: value
  void* ptr = nullptr;  // Notify
};

class DspInstance {
 public:
  // Makes the DSP object and reads its pin table; throws HostError.
  DspInstance(std::shared_ptr<ModuleLibrary> library, DspRouter* router, std::string name,
              int32_t voice, int32_t extra_pins);
  ~DspInstance();
  DspInstance(const DspInstance&) = delete;
  DspInstance& operator=(const DspInstance&) = delete;

  const std::string& Name() const { return m_name; }
  int32_t Voice() const { return m_voice; }
  SEModuleRecord* Record() const { return m_record; }
  const std::vector<PinDeclaration>& Declarations() const { return m_declarations; }
  std::vector<DspPin>& Pins() { return m_pins; }
  const std::vector<DspPin>& Pins() const { return m_pins; }
  ObservationLog& Log() { return m_log; }
  int32_t Clock() const { return m_clock; }
  int32_t CallClock() const { return m_clock; }
  bool Sleeping() const { return m_sleeping; }

  // Before Open: buffers of the block size, bound into the module's variables.
  void AllocateBuffers(int32_t block_size);
  // Points an input at a source's buffer (connections, mixes).
  void BindBuffer(int32_t pin, float* buffer);
  void SetInitialValue(int32_t pin, const RawValue& value);
  // Sample rate, block size, MOD_OPEN.
  void Open(float sample_rate, int32_t block_size);
  void Close();

  void Queue(const PendingEvent& event);
  bool HasEventBefore(int32_t clock) const {
    return !m_queue.empty() && m_queue.front().time < clock;
  }
  bool HasQueuedStatus(int32_t pin) const;

  // A block's buffers start at `block_start`: refills constant and streamed inputs.
  void BeginBlock(int32_t block_start, int32_t block_size);
  // Processes [from, to) of the current block, split at every queued event.
  void RunRange(int32_t from, int32_t to);
  // Dispatcher call outside the sample loop (notify, reset), logged.
  int32_t Dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);

  // Reads a non-audio output's value from the module's variable.
  RawValue ReadOutput(int32_t pin) const;
  void WriteValue(int32_t pin, const RawValue& value);

 private:
  static int32_t Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                          float opt);
  int32_t Answer(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
  void Deliver(const PendingEvent& event);
  void FillConstant(DspPin& pin, int32_t from);

  std::shared_ptr<ModuleLibrary> m_library;
  DspRouter* m_router;
  std::string m_name;
  int32_t m_voice;
  SEModuleRecord* m_record = nullptr;
  SEProcessEntry m_process = nullptr;
  std::vector<PinDeclaration> m_declarations;  // declared pins, then the repeated extras
  std::vector<DspPin> m_pins;                  // by DSP pin index
  std::deque<PendingEvent> m_queue;            // by time, then arrival
  ObservationLog m_log;
  int32_t m_clock = 0;
  int32_t m_block_start = 0;
  int32_t m_block_size = 0;
  bool m_sleeping = false;
  bool m_open = false;
};

}  // namespace modhost
