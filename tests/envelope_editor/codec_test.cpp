// The envelope text codec: byte layout, round trips and damaged texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "envelope_data.h"
#include "envelope_text.h"

namespace {

std::string Bytes(const char* p, int n) { return std::string(p, p + n); }

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float FromBits(uint32_t u) {
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

TEST(PackedValue, KnownByteForms) {
  struct Case {
    uint32_t value;
    const char* bytes;
  } cases[] = {
      {0xFFFFFFFFu, "\x80\x80\x80\x80\x10"},  // sustain OFF
      {0x3F800000u, "\x01\x01\x01\x7D\x04"},  // 1.0f
      {0x3E000000u, "\x01\x01\x01\x71\x04"},  // 0.125f
      {0u, "\x01\x01\x01\x01\x01"},          {7u, "\x08\x01\x01\x01\x01"},
  };
  for (const Case& c : cases) {
    char out[5];
    PackValue(c.value, out);
    EXPECT_EQ(Bytes(out, 5), Bytes(c.bytes, 5)) << std::hex << c.value;
    EXPECT_EQ(UnpackValue(out), c.value);
  }
}

TEST(PackedValue, ShortsUseThreeBytesAndKeepTheSign) {
  for (int v : {0, 1, 13, 127, 128, 16383, 16384, -1, -32768, 32767}) {
    char out[3];
    PackShort(static_cast<uint16_t>(v), out);
    for (char b : out) EXPECT_NE(b, 0);
    EXPECT_EQ(static_cast<int16_t>(UnpackShort(out)), v);
  }
}

TEST(EnvelopeTextCodec, AllOnesTextDecodesToZeros) {
  std::string text(EnvelopeText::SIZE, '\x01');
  EnvelopeData d = DefaultEditorEnvelope();
  ASSERT_TRUE(DecodeEnvelope(text.c_str(), EnvelopeText::SIZE, d));
  EXPECT_EQ(d.sustain_node, 0);
  EXPECT_EQ(d.repeat_node, 0);
  EXPECT_EQ(d.start_level, 0.0f);
  for (int i = 0; i < ENV_STAGES; ++i) {
    EXPECT_EQ(d.level[i], 0.0f);
    EXPECT_EQ(d.time[i], 0.0f);
    EXPECT_EQ(d.shape[i], 0);
  }
  EXPECT_EQ(d.active_stages, 0);
  EXPECT_EQ(d.amp_mode, 0);
}

TEST(EnvelopeTextCodec, LayoutOfTheDefaultEnvelope) {
  EnvelopeData d = DefaultEditorEnvelope();
  d.amp_mode = 2;
  const EnvelopeText t = EncodeEnvelope(d);
  EXPECT_EQ(std::strlen(t.c_str()), static_cast<size_t>(EnvelopeText::SIZE));
  EXPECT_EQ(Bytes(t.text + ET_SUSTAIN, 5), Bytes("\x08\x01\x01\x01\x01", 5));
  EXPECT_EQ(Bytes(t.text + ET_REPEAT, 5), Bytes("\x80\x80\x80\x80\x10", 5));
  EXPECT_EQ(Bytes(t.text + ET_LEVELS, 5), Bytes("\x01\x01\x01\x7D\x04", 5));
  EXPECT_EQ(Bytes(t.text + ET_TIMES + 35, 5), Bytes("\x01\x01\x01\x71\x04", 5));
  EXPECT_EQ(t.text[ET_ACTIVE_STAGES], 9);
  EXPECT_EQ(t.text[ET_AMP_MODE], 3);
  EXPECT_EQ(t.text[EnvelopeText::SIZE], 0);
}

EnvelopeData RandomEnvelope(std::mt19937& rng) {
  const float specials[] = {
      std::numeric_limits<float>::quiet_NaN(),  std::numeric_limits<float>::infinity(),
      -std::numeric_limits<float>::infinity(),  -0.0f,
      std::numeric_limits<float>::denorm_min(), -1.5e30f};
  auto any_float = [&]() {
    if (rng() % 4 == 0) return specials[rng() % 6];
    return FromBits(static_cast<uint32_t>(rng()));  // any bit pattern, NaN payloads too
  };
  EnvelopeData d{};
  d.sustain_node = static_cast<int32_t>(rng() % 9) - 1;
  d.repeat_node = static_cast<int32_t>(rng() % 8) - 1;
  d.start_level = any_float();
  for (int i = 0; i < ENV_STAGES; ++i) {
    d.level[i] = any_float();
    d.time[i] = any_float();
    d.shape[i] = static_cast<int16_t>(rng());
  }
  d.active_stages = 1 + static_cast<int32_t>(rng() % 8);
  d.amp_mode = static_cast<int32_t>(rng() % 3);
  d.min_level = any_float();
  d.max_level = any_float();
  return d;
}

TEST(EnvelopeTextCodec, RandomEnvelopesRoundTripBitForBit) {
  std::mt19937 rng(20261211);
  for (int n = 0; n < 2000; ++n) {
    const EnvelopeData d = RandomEnvelope(rng);
    const EnvelopeText t = EncodeEnvelope(d);
    ASSERT_EQ(std::strlen(t.c_str()), static_cast<size_t>(EnvelopeText::SIZE)) << "zero byte";
    EnvelopeData back{};
    ASSERT_TRUE(DecodeEnvelope(t.c_str(), EnvelopeText::SIZE, back));
    ASSERT_EQ(back.sustain_node, d.sustain_node);
    ASSERT_EQ(back.repeat_node, d.repeat_node);
    ASSERT_EQ(Bits(back.start_level), Bits(d.start_level));
    for (int i = 0; i < ENV_STAGES; ++i) {
      ASSERT_EQ(Bits(back.level[i]), Bits(d.level[i]));
      ASSERT_EQ(Bits(back.time[i]), Bits(d.time[i]));
      ASSERT_EQ(back.shape[i], d.shape[i]);
    }
    ASSERT_EQ(back.active_stages, d.active_stages);
    ASSERT_EQ(back.amp_mode, d.amp_mode);
    ASSERT_EQ(Bits(back.min_level), Bits(d.min_level));
    ASSERT_EQ(Bits(back.max_level), Bits(d.max_level));
  }
}

TEST(EnvelopeTextCodec, OutOfRangeSmallFieldsNeverBecomeANul) {
  EnvelopeData d = DefaultEditorEnvelope();
  for (int v : {-1, 127, 255, 1000}) {
    d.active_stages = v;
    d.amp_mode = v;
    EXPECT_EQ(std::strlen(EncodeEnvelope(d).c_str()), static_cast<size_t>(EnvelopeText::SIZE));
  }
}

TEST(EnvelopeTextCodec, DspReadsOnlyTheFirst120Bytes) {
  const EnvelopeData d = DefaultEditorEnvelope();
  std::string text = EncodeEnvelope(d).c_str();
  text.resize(EnvelopeText::DSP_BYTES);
  EnvelopeData back = StartupEnvelope();
  EXPECT_TRUE(DecodeEnvelope(text.c_str(), EnvelopeText::DSP_BYTES, back));
  EXPECT_EQ(back.level[0], 1.0f);
  EXPECT_EQ(back.active_stages, 8);
  // The editor's fields need the whole text.
  EnvelopeData full = StartupEnvelope();
  EXPECT_FALSE(DecodeEnvelope(text.c_str(), EnvelopeText::SIZE, full));
}

TEST(EnvelopeTextCodec, ShortOrMissingTextsLeaveTheDataAlone) {
  const std::string full = EncodeEnvelope(DefaultEditorEnvelope()).c_str();
  for (size_t len : {size_t(0), size_t(1), size_t(60), size_t(119)}) {
    // Copied into an exactly sized buffer so that a read past the end shows
    // under the address sanitizer.
    std::unique_ptr<char[]> text(new char[len + 1]);
    std::memcpy(text.get(), full.data(), len);
    text[len] = '\0';
    EnvelopeData d = StartupEnvelope();
    EXPECT_FALSE(DecodeEnvelope(text.get(), EnvelopeText::DSP_BYTES, d)) << len;
    EXPECT_EQ(d.start_level, 0.5f);
    EXPECT_EQ(d.sustain_node, 7);
  }
  EnvelopeData d = StartupEnvelope();
  EXPECT_FALSE(DecodeEnvelope(nullptr, EnvelopeText::DSP_BYTES, d));
}

TEST(MakePlayable, BringsIndexFieldsIntoTheirLists) {
  struct Case {
    int32_t active, sustain, repeat;
    int16_t shape;
    int32_t want_active, want_sustain, want_repeat;
    int16_t want_shape;
  } cases[] = {
      {8, 7, -1, 13, 8, 7, -1, 13},      // valid stays
      {1, 1, 0, 0, 1, 1, 0, 0},          // valid stays
      {0, 0, 0, -1, 8, -1, 0, 0},        // the all-0x01 text
      {9, 8, 7, 14, 8, -1, -1, 0},       // one past each list
      {254, -2, -2, 200, 8, -1, -1, 0},  // foreign
      {-1, 100, 6, 32767, 8, -1, 6, 0},
  };
  for (const Case& c : cases) {
    EnvelopeData d = StartupEnvelope();
    d.active_stages = c.active;
    d.sustain_node = c.sustain;
    d.repeat_node = c.repeat;
    d.shape[3] = c.shape;
    MakePlayable(d);
    EXPECT_EQ(d.active_stages, c.want_active);
    EXPECT_EQ(d.sustain_node, c.want_sustain);
    EXPECT_EQ(d.repeat_node, c.want_repeat);
    EXPECT_EQ(d.shape[3], c.want_shape);
  }
}

}  // namespace
