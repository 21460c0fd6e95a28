#include "envelope_text.h"

#include <cstring>

#include "se_bits.h"

namespace {

uint8_t Byte(const char* in, int32_t j) { return static_cast<uint8_t>(in[j]); }

// A small integer in one byte; masked so that no value can become a NUL.
char PackSmall(int32_t value) { return static_cast<char>((value & 0x7F) + 1); }

// True when the text holds at least `bytes` non-NUL bytes.
bool LongEnough(const char* text, int32_t bytes) {
  for (int32_t i = 0; i < bytes; ++i)
    if (text[i] == '\0') return false;
  return true;
}

}  // namespace

void PackValue(uint32_t value, char* out) {
  for (int32_t j = 0; j < 5; ++j) out[j] = static_cast<char>(((value >> (7 * j)) & 0x7F) + 1);
}

uint32_t UnpackValue(const char* in) {
  uint32_t value = 0;
  for (int32_t j = 0; j < 5; ++j)
    value |= static_cast<uint32_t>((Byte(in, j) - 1) & 0xFF) << (7 * j);
  return value;
}

void PackShort(uint16_t value, char* out) {
  out[0] = static_cast<char>((value & 0x7F) + 1);
  out[1] = static_cast<char>(((value >> 7) & 0x7F) + 1);
  out[2] = static_cast<char>(((value >> 14) & 0x03) + 1);
}

uint16_t UnpackShort(const char* in) {
  uint32_t value = 0;
  for (int32_t j = 0; j < 3; ++j)
    value |= static_cast<uint32_t>((Byte(in, j) - 1) & 0xFF) << (7 * j);
  return static_cast<uint16_t>(value);
}

EnvelopeText EncodeEnvelope(const EnvelopeData& d) {
  EnvelopeText t;
  char* out = t.text;
  PackValue(static_cast<uint32_t>(d.sustain_node), out + ET_SUSTAIN);
  PackValue(static_cast<uint32_t>(d.repeat_node), out + ET_REPEAT);
  PackValue(FloatBits(d.start_level), out + ET_START_LEVEL);
  for (int32_t i = 0; i < ENV_STAGES; ++i) {
    PackValue(FloatBits(d.level[i]), out + ET_LEVELS + 5 * i);
    PackValue(FloatBits(d.time[i]), out + ET_TIMES + 5 * i);
    PackShort(static_cast<uint16_t>(d.shape[i]), out + ET_SHAPES + 3 * i);
  }
  out[ET_ACTIVE_STAGES] = PackSmall(d.active_stages);
  out[ET_AMP_MODE] = PackSmall(d.amp_mode);
  PackValue(FloatBits(d.min_level), out + ET_MIN_LEVEL);
  PackValue(FloatBits(d.max_level), out + ET_MAX_LEVEL);
  out[EnvelopeText::SIZE] = '\0';
  return t;
}

bool DecodeEnvelope(const char* text, int32_t bytes, EnvelopeData& d) {
  if (text == nullptr || bytes < EnvelopeText::DSP_BYTES || bytes > EnvelopeText::SIZE ||
      !LongEnough(text, bytes))
    return false;
  d.sustain_node = static_cast<int32_t>(UnpackValue(text + ET_SUSTAIN));
  d.repeat_node = static_cast<int32_t>(UnpackValue(text + ET_REPEAT));
  d.start_level = BitsFloat(UnpackValue(text + ET_START_LEVEL));
  for (int32_t i = 0; i < ENV_STAGES; ++i) {
    d.level[i] = BitsFloat(UnpackValue(text + ET_LEVELS + 5 * i));
    d.time[i] = BitsFloat(UnpackValue(text + ET_TIMES + 5 * i));
    d.shape[i] = static_cast<int16_t>(UnpackShort(text + ET_SHAPES + 3 * i));
  }
  d.active_stages = static_cast<int32_t>(Byte(text, ET_ACTIVE_STAGES)) - 1;
  if (bytes >= EnvelopeText::SIZE) {
    d.amp_mode = static_cast<int32_t>(Byte(text, ET_AMP_MODE)) - 1;
    d.min_level = BitsFloat(UnpackValue(text + ET_MIN_LEVEL));
    d.max_level = BitsFloat(UnpackValue(text + ET_MAX_LEVEL));
  }
  return true;
}
