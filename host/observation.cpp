#include "observation.h"

namespace modhost {

std::vector<Observation> ObservationLog::HostCalls(int32_t opcode) const {
  std::vector<Observation> calls;
  for (const auto& entry : m_entries) {
    if (entry.kind == ObservationKind::HostCall && (opcode < 0 || entry.opcode == opcode)) {
      calls.push_back(entry);
    }
  }
  return calls;
}

std::vector<Observation> ObservationLog::OfKind(ObservationKind kind) const {
  std::vector<Observation> entries;
  for (const auto& entry : m_entries) {
    if (entry.kind == kind) entries.push_back(entry);
  }
  return entries;
}

}  // namespace modhost
