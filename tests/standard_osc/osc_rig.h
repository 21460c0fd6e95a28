// A small stand-in for the host around one oscillator object (one at a time:
// the fake host of the newest rig answers every module): block buffers
// for every audio pin, value writes into the declared variables, status
// events at a sample clock, and the real wave tables behind the link.
#pragma once

#include <cstdint>
#include <vector>

#include "fake_host.h"
#include "oscillator.h"
#include "se_assert.h"

class OscRig {
 public:
  explicit OscRig(int32_t block_size = 256, float sample_rate = 44100.0f);
  ~OscRig();
  OscRig(const OscRig&) = delete;
  OscRig& operator=(const OscRig&) = delete;

  Module& osc() { return *m_module; }
  SEModuleRecord* record() { return m_module->Record(); }

  // MOD_OPEN with the link input connected or not.
  void Open(bool link_connected = true);
  // The link value, the pin values a host starts with, then Active ON unless
  // told otherwise. Every value arrives as a status event.
  void StartLinked(bool active = true);
  // Builds the tables on first use; no rig of its own, so the current
  // fake host stays this rig's.
  int32_t DirectoryLink() const;

  // Writes a value and delivers a status event for the pin at the clock.
  void SetEnum(int32_t pin, int16_t value, int32_t status = PS_ONE_CHANGE);
  void SetAudio(int32_t pin, float value, int32_t status = PS_ONE_CHANGE);
  void SetLink(int32_t value);
  void Deliver(int32_t pin, int32_t status);
  // Fills an audio input from a position in the current block on.
  void Fill(int32_t pin, float value, int32_t from = 0);

  // Calls the record's process entry and moves the clock along.
  void Run(int32_t start, int32_t count);
  // The next block: the clock and the buffers' block start move on.
  void NextBlock();

  float* Buffer(int32_t pin) { return m_buffers[pin].data(); }
  const float* Out() { return Buffer(PIN_OUTPUT); }
  int32_t Clock() const { return host.sample_clock; }
  SEProcessEntry Process() { return record()->process; }

  int32_t block_size;
  FakeHost host;
  int assertions = 0;

 private:
  void* Variable(int32_t pin);

  Module* m_module;
  std::vector<float> m_buffers[OSC_PIN_COUNT];
  SEAssertHandler m_previous_handler;
};

// The process entry of one of the oscillator's process functions.
template <void (Module::*F)(int32_t, int32_t)>
SEProcessEntry EntryOf() {
  return ProcessOf<F>().function;
}
