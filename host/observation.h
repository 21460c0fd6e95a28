// What a module did, in the order it happened, with the sample clock: every
// host callback it made, every process call and event the host gave it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "se_types.h"

namespace modhost {

enum class ObservationKind {
  HostCall,  // the module called the host: opcode, index, value, ptr, opt
  Process,   // the host called the process entry: start, count
  Event,     // the host delivered a timed event: event
  Dispatch,  // the host called the dispatcher between blocks (reset, notify): opcode, index, value
};

struct Observation {
  ObservationKind kind;
  int32_t clock;  // the host's sample clock for this module at that moment
  int32_t opcode = 0;
  int32_t index = 0;
  int32_t value = 0;
  uintptr_t ptr = 0;
  float opt = 0.0f;
  int32_t start = 0;  // Process: offset into the block's buffers
  int32_t count = 0;  // Process: samples
  SETimedEvent event{};
  int32_t result = 0;  // HostCall: what the host answered
};

class ObservationLog {
 public:
  // The entry's position, for filling in the answer once it is known.
  size_t Add(const Observation& entry) {
    if (!m_enabled) return SIZE_MAX;
    m_entries.push_back(entry);
    return m_entries.size() - 1;
  }
  void SetResult(size_t position, int32_t result) {
    if (position < m_entries.size()) m_entries[position].result = result;
  }
  void Clear() { m_entries.clear(); }
  void Enable(bool on) { m_enabled = on; }

  // Logs a module's call to the host, answers it and records the answer.
  // Logged before it takes effect, so calls it causes come after it; nothing
  // thrown while answering reaches the module (it gets 0).
  template <class Answer>
  int32_t AnswerHostCall(int32_t clock, int32_t opcode, int32_t index, int32_t value, void* ptr,
                         float opt, Answer&& answer) {
    Observation entry{ObservationKind::HostCall, clock};
    entry.opcode = opcode;
    entry.index = index;
    entry.value = value;
    entry.ptr = reinterpret_cast<uintptr_t>(ptr);
    entry.opt = opt;
    const size_t position = Add(entry);
    int32_t result = 0;
    try {
      result = answer();
    } catch (...) {
      result = 0;
    }
    SetResult(position, result);
    return result;
  }

  const std::vector<Observation>& Entries() const { return m_entries; }
  // Host calls with this opcode (all host calls for -1).
  std::vector<Observation> HostCalls(int32_t opcode = -1) const;
  std::vector<Observation> ProcessCalls() const { return OfKind(ObservationKind::Process); }
  std::vector<Observation> Events() const { return OfKind(ObservationKind::Event); }
  std::vector<Observation> Dispatches() const { return OfKind(ObservationKind::Dispatch); }
  // HOST_PIN_STATUS calls: index = pin, value = status, ptr = time stamp.
  std::vector<Observation> StatusTransmissions() const { return HostCalls(HOST_PIN_STATUS); }
  std::vector<Observation> SleepRequests() const { return HostCalls(HOST_SLEEP); }

 private:
  std::vector<Observation> OfKind(ObservationKind kind) const;

  std::vector<Observation> m_entries;
  bool m_enabled = true;
};

}  // namespace modhost
