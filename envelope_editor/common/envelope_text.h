// The text form of an envelope, as the host stores it with the patch: every
// quantity is split into 7-bit groups stored as group + 1, so no byte of the
// record is zero and it travels as a NUL-terminated text.
#pragma once

#include <cstdint>

#include "envelope_data.h"

struct EnvelopeText {
  static constexpr int32_t SIZE = 131;       // bytes before the terminating NUL
  static constexpr int32_t DSP_BYTES = 120;  // what the DSP object reads
  char text[SIZE + 1];

  const char* c_str() const { return text; }
};

// Byte offsets of the fields.
enum : int32_t {
  ET_SUSTAIN = 0,
  ET_REPEAT = 5,
  ET_START_LEVEL = 10,
  ET_LEVELS = 15,
  ET_TIMES = 55,
  ET_SHAPES = 95,
  ET_ACTIVE_STAGES = 119,
  ET_AMP_MODE = 120,
  ET_MIN_LEVEL = 121,
  ET_MAX_LEVEL = 126,
};

// A 32-bit quantity as five bytes, least significant group first.
void PackValue(uint32_t value, char* out);
uint32_t UnpackValue(const char* in);
// A 16-bit quantity as three bytes (7 + 7 + 2 bits).
void PackShort(uint16_t value, char* out);
uint16_t UnpackShort(const char* in);

EnvelopeText EncodeEnvelope(const EnvelopeData& data);

// Decodes the first `bytes` bytes of a text (EnvelopeText::DSP_BYTES or
// EnvelopeText::SIZE) into `data`, field by field and without judging the
// values. A null text or one that ends before `bytes` leaves `data` as it was
// and answers false: nothing is read past the text's end.
bool DecodeEnvelope(const char* text, int32_t bytes, EnvelopeData& data);
