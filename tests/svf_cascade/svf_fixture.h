// Drives one filter object directly through its record, the way a host
// would: pin buffers written into the declared variables, list values
// written before their status events, process calls through the record.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fake_host.h"
#include "module.h"

class SvfDriver {
 public:
  explicit SvfDriver(int32_t block_size = 64, int32_t version = 200000);
  ~SvfDriver();

  SvfDriver(const SvfDriver&) = delete;
  SvfDriver& operator=(const SvfDriver&) = delete;

  // Opens the object and sends one status event per pin, the way a host
  // starts an instance; active and choice as given, everything else default.
  void Start(int16_t active, int16_t choice);

  void SetEnum(int32_t pin, int16_t value);     // writes the value, then PS_ONE_CHANGE
  void SetStatus(int32_t pin, int32_t status);  // status event only
  void Reset();                                 // MOD_RESET

  void Process(int32_t start, int32_t count);
  void ProcessBlock() { Process(0, block_size); }
  void Fill(std::vector<float>& buffer, float value);
  // Copies into a pin buffer without moving it: the module holds its address.
  void Load(std::vector<float>& buffer, const std::vector<float>& values);

  SEProcessEntry CurrentProcess() const { return module->Record()->process; }
  // Every HOST_PIN_STATUS call on "Out" since the last Clear, as (clock, status).
  std::vector<std::pair<int32_t, int32_t>> OutputStatuses() const;
  int32_t Sleeps() const { return host.CountOf(HOST_SLEEP); }

  FakeHost host;
  Module* module;
  int32_t block_size;
  int32_t clock = 0;  // sample clock of the next event
  std::vector<float> input, cutoff, resonance, output, gate;
  void* variables[10] = {};
};

// The process entry a given choice selects.
SEProcessEntry EntryForChoice(int16_t choice);
