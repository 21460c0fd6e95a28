// A host callback for tests that drive a module object directly: it records
// every call and answers from settable values. One FakeHost is current at a
// time (tests are single-threaded); the callback routes to it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "se_types.h"

struct HostCall {
  void* record;
  int32_t opcode;
  int32_t index;
  int32_t value;
  void* ptr;
  float opt;

  int32_t PtrValue() const { return static_cast<int32_t>(reinterpret_cast<intptr_t>(ptr)); }
};

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();

  static int32_t Callback(void* record, int32_t opcode, int32_t index, int32_t value, void* ptr,
                          float opt);

  // Answers. Opcodes without an answer return 0, except those listed here.
  int32_t version = 200000;
  int32_t pin_count = 0;
  int32_t sample_clock = 0;
  int32_t block_start = 0;
  std::map<int32_t, float*> buffers;     // HOST_PIN_BUFFER by pin index
  std::map<int32_t, int32_t> connected;  // HOST_PIN_CONNECTED by pin index
  std::map<int32_t, int32_t> answers;    // any other opcode: fixed answer
  // Overrides everything above when set and it returns true.
  std::function<bool(const HostCall&, int32_t& result)> handler;

  std::vector<HostCall> calls;

  std::vector<HostCall> CallsOf(int32_t opcode) const;
  int32_t CountOf(int32_t opcode) const;
  void Clear() { calls.clear(); }

  static FakeHost* Current();

 private:
  int32_t Answer(const HostCall& call);
  FakeHost* m_previous;
};

// Fills an event record and delivers it through the record's event entry,
// with the fake host's sample clock moved to the event's time stamp first.
void DeliverStatus(FakeHost& host, SEModuleRecord* record, int32_t clock, int32_t pin,
                   int32_t status);
