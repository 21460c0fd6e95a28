// The generator module driven directly: identity, pin window, publication of
// the link and the build-once rule.
#include "generator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_host.h"
#include "se_assert.h"
#include "wave_tables.h"

namespace {

int g_assertions = 0;
void CountAssertion(const char*, const char*, int32_t) { ++g_assertions; }

class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    g_assertions = 0;
    m_previous_handler = SetAssertHandler(&CountAssertion);
    host.pin_count = 1;
    host.sample_clock = 77;
  }
  void TearDown() override {
    EXPECT_EQ(g_assertions, 0);
    SetAssertHandler(m_previous_handler);
    for (Module* m : {first, second})
      if (m) m->Record()->dispatcher(m->Record(), MOD_CLOSE, 0, 0, nullptr, 0.0f);
  }

  Module* Make() { return new Module(&FakeHost::Callback, nullptr); }
  void Open(Module* m) { m->Record()->dispatcher(m->Record(), MOD_OPEN, 0, 0, nullptr, 0.0f); }

  FakeHost host;
  Module* first = nullptr;
  Module* second = nullptr;

 private:
  SEAssertHandler m_previous_handler = nullptr;
};

TEST_F(Generator, Identity) {
  SEModuleInfo info;
  std::memset(&info, 0xAB, sizeof info);
  const int32_t untouched = info.gui_flags;
  FillModuleInfo(&info);
  EXPECT_STREQ(info.name, "QV_Replacement_OscWT_1k512");
  EXPECT_STREQ(info.id, "OscWaveTable_Replacement_1k512_QV2010");
  EXPECT_STREQ(info.about,
               "QV_Osc WaveTable Generator\nVer:2.90\n\nCreates 'Replacement' wavetables which "
               "remove the 'ringing' sound in low frequencies <40hz");
  EXPECT_EQ(info.module_flags, 2240);
  EXPECT_EQ(info.gui_flags, untouched);
}

TEST_F(Generator, LinkPinFollowsTheHostVersionWindow) {
  first = Make();
  struct Case {
    int32_t version;
    bool answer;
    bool filled;
  };
  for (const Case& c : {Case{100113, false, false}, Case{100114, true, true},
                        Case{200073, true, true}, Case{200074, false, true}}) {
    host.version = c.version;
    SEPinProperties p;
    std::memset(&p, 0, sizeof p);
    EXPECT_EQ(first->Record()->dispatcher(first->Record(), MOD_GET_PIN_PROPERTIES, 0, 0, &p, 0.0f),
              c.answer ? 1 : 0)
        << c.version;
    EXPECT_EQ(p.name != nullptr, c.filled) << c.version;
    if (!c.filled) continue;
    EXPECT_STREQ(p.name, "QV_Osc_Link_1k512");
    EXPECT_EQ(p.direction, DR_OUT);
    EXPECT_EQ(p.datatype, DT_INT);
    EXPECT_EQ(p.flags, 0);
    EXPECT_EQ(p.default_value, nullptr);
    EXPECT_EQ(p.value_list, nullptr);
    EXPECT_NE(p.variable_address, nullptr);
  }
  host.version = 200000;
  SEPinProperties p;
  std::memset(&p, 0, sizeof p);
  EXPECT_FALSE(first->GetPinProperties(1, &p));
}

TEST_F(Generator, OpenPublishesTheCompleteDirectoryOnce) {
  first = Make();
  // At the moment of the transmission the tables must already be complete.
  bool complete_at_transmission = false;
  host.handler = [&](const HostCall& call, int32_t&) {
    if (call.opcode == HOST_PIN_STATUS) {
      const TableDirectory* d = WaveTableDirectory();
      complete_at_transmission = d->entry[20] != nullptr &&
                                 d->entry[10][511 * TABLE_STRIDE + 300] != 0.0f &&
                                 d->entry[0][256] == 0.5f;
    }
    return false;
  };
  Open(first);
  const auto sent = host.CallsOf(HOST_PIN_STATUS);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].index, 0);
  EXPECT_EQ(sent[0].value, PS_ONE_CHANGE);
  EXPECT_EQ(sent[0].PtrValue(), 77);
  EXPECT_TRUE(complete_at_transmission);
  EXPECT_EQ(first->LinkValue(), LinkFromDirectory(WaveTableDirectory()));
  // The pin variable the host reads is the link value.
  SEPinProperties p;
  std::memset(&p, 0, sizeof p);
  first->GetPinProperties(0, &p);
  EXPECT_EQ(*static_cast<int32_t*>(p.variable_address), first->LinkValue());
}

TEST_F(Generator, LaterOpensDoNotRebuildAndPublishTheSameAddress) {
  first = Make();
  Open(first);
  const int32_t link = first->LinkValue();
  // A mark in the storage survives only if nothing writes the tables again.
  float* mark = const_cast<float*>(DirectoryFromLink(link)->entry[3]) + 5 * TABLE_STRIDE + 7;
  const float kept = *mark;
  *mark = 12345.0f;

  second = Make();
  host.Clear();
  host.sample_clock = 1000;
  Open(second);
  Open(first);
  EXPECT_EQ(*mark, 12345.0f);
  *mark = kept;
  EXPECT_EQ(second->LinkValue(), link);
  EXPECT_EQ(first->LinkValue(), link);
  const auto sent = host.CallsOf(HOST_PIN_STATUS);
  ASSERT_EQ(sent.size(), 2u);
  for (const HostCall& c : sent) {
    EXPECT_EQ(c.value, PS_ONE_CHANGE);
    EXPECT_EQ(c.PtrValue(), 1000);
  }

  // Closing instances leaves the tables in place.
  second->Record()->dispatcher(second->Record(), MOD_CLOSE, 0, 0, nullptr, 0.0f);
  second = nullptr;
  EXPECT_EQ(DirectoryFromLink(link)->entry[1][256 + TABLE_STRIDE * 9],
            WaveTableDirectory()->entry[11][256 + TABLE_STRIDE * 9]);
  EXPECT_NE(DirectoryFromLink(link)->entry[1][256], 0.0f);
}

TEST_F(Generator, OutsideTheWindowNothingIsPublished) {
  for (int32_t version : {100113, 200074}) {
    host.version = version;
    host.Clear();
    first = Make();
    Open(first);
    EXPECT_EQ(host.CountOf(HOST_PIN_STATUS), 0) << version;
    EXPECT_EQ(first->LinkValue(), 0) << version;
    first->Record()->dispatcher(first->Record(), MOD_CLOSE, 0, 0, nullptr, 0.0f);
    first = nullptr;
  }
}

TEST_F(Generator, AHostWithoutPinsGetsNoTransmission) {
  host.pin_count = 0;
  first = Make();
  Open(first);
  EXPECT_EQ(host.CountOf(HOST_PIN_STATUS), 0);
}

TEST_F(Generator, ProcessEntryDoesNothing) {
  first = Make();
  Open(first);
  host.Clear();
  first->Record()->process(first->Record()->object, 0, 64);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(host.CountOf(HOST_PROCESS_CHANGED), 0);
}

}  // namespace
