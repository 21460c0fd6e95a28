#include "fake_host.h"

namespace {
FakeHost* g_current = nullptr;
}

FakeHost::FakeHost() : m_previous(g_current) { g_current = this; }
FakeHost::~FakeHost() { g_current = m_previous; }

FakeHost* FakeHost::Current() { return g_current; }

int32_t FakeHost::Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                           float opt) {
  if (!g_current) return 0;
  const HostCall call{record, opcode, index, value, ptr, opt};
  g_current->calls.push_back(call);
  return g_current->Answer(call);
}

int32_t FakeHost::Answer(const HostCall& call) {
  int32_t result = 0;
  if (handler && handler(call, result)) return result;
  switch (call.opcode) {
    case HOST_VERSION:
      return version;
    case HOST_PIN_COUNT:
      return pin_count;
    case HOST_SAMPLE_CLOCK:
      return sample_clock;
    case HOST_PIN_BLOCK_START:
      return block_start;
    case HOST_PIN_BUFFER: {
      auto it = buffers.find(call.index);
      return it == buffers.end() ? 0 : static_cast<int32_t>(reinterpret_cast<intptr_t>(it->second));
    }
    case HOST_PIN_CONNECTED: {
      auto it = connected.find(call.index);
      return it == connected.end() ? 0 : it->second;
    }
    default: {
      auto it = answers.find(call.opcode);
      return it == answers.end() ? 0 : it->second;
    }
  }
}

std::vector<HostCall> FakeHost::CallsOf(int32_t opcode) const {
  std::vector<HostCall> out;
  for (const HostCall& c : calls)
    if (c.opcode == opcode) out.push_back(c);
  return out;
}

int32_t FakeHost::CountOf(int32_t opcode) const {
  return static_cast<int32_t>(CallsOf(opcode).size());
}

void DeliverStatus(FakeHost& host, SEModuleRecord* record, int32_t clock, int32_t pin,
                   int32_t status) {
  host.sample_clock = clock;
  SETimedEvent event{clock, EV_PIN_STATUS, status, 0, pin};
  record->event(record->object, &event);
}
