#include <gtest/gtest.h>

#include "assert_recorder.h"
#include "fake_host.h"
#include "test_module.h"

namespace {

class PinTableTest : public ::testing::Test {
 protected:
  FakeHost host;
  AssertRecorder asserts;
  TestModule module{&FakeHost::Callback, nullptr};
  float variable_float = 0.0f;
  int32_t variable_int = 0;
  float* variable_buffer = nullptr;
  float buffer[8] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
};

TEST_F(PinTableTest, GuiOnlyDeclarationTakesNoDspIndex) {
  host.pin_count = 3;
  module.declarations = {Declare(DT_FLOAT, DR_IN, 0, &variable_float),
                         Declare(DT_INT, DR_IN, 0, &variable_int),
                         Declare(DT_TEXT, DR_IN, IO_UI_COMMUNICATION), Declare(DT_ENUM, DR_OUT)};
  module.Open();
  ASSERT_EQ(module.PinCount(), 3);
  const int32_t types[] = {DT_FLOAT, DT_INT, DT_ENUM};
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(module.GetPin(i)->getIndex(), i);
    EXPECT_EQ(module.GetPin(i)->getDataType(), types[i]);
    EXPECT_EQ(module.GetPin(i)->getStatus(), PS_STATIC);
  }
  EXPECT_EQ(module.GetPin(0)->getVariablePtr(), &variable_float);
  EXPECT_EQ(module.GetPin(1)->getVariablePtr(), &variable_int);
}

TEST_F(PinTableTest, SharedGuiPinGetsADspPin) {
  host.pin_count = 2;
  module.declarations = {Declare(DT_FLOAT, DR_IN, IO_UI_COMMUNICATION | IO_UI_AND_DSP),
                         Declare(DT_INT, DR_OUT)};
  module.Open();
  EXPECT_EQ(module.GetPin(0)->getDataType(), DT_FLOAT);
  EXPECT_EQ(module.GetPin(1)->getDataType(), DT_INT);
}

TEST_F(PinTableTest, RepeatingLastDeclarationFillsTheHostsPinCount) {
  host.pin_count = 4;
  host.buffers[2] = buffer;
  host.buffers[3] = buffer + 4;
  module.declarations = {Declare(DT_ENUM, DR_IN, 0, &variable_int),
                         Declare(DT_FSAMPLE, DR_IN, IO_REPEATING, &variable_buffer)};
  module.Open();
  ASSERT_EQ(module.PinCount(), 4);
  for (int32_t i = 1; i < 4; ++i) EXPECT_EQ(module.GetPin(i)->getDataType(), DT_FSAMPLE);
  EXPECT_EQ(module.GetPin(1)->getVariablePtr(), &variable_buffer);
  for (int32_t i = 2; i < 4; ++i) {
    EXPECT_EQ(module.GetPin(i)->getIndex(), i);
    // The extra pins keep their buffer address themselves.
    EXPECT_EQ(module.GetPin(i)->getVariablePtr(), &module.GetPin(i)->getLocalValue());
    EXPECT_EQ(module.GetPin(i)->getLocalValue().buffer, host.buffers[i]);
  }
}

TEST_F(PinTableTest, RepeatingOnAnEarlierDeclarationDoesNotRepeat) {
  host.pin_count = 4;
  module.declarations = {Declare(DT_FLOAT, DR_IN, IO_REPEATING), Declare(DT_INT)};
  module.Open();
  EXPECT_EQ(module.GetPin(2)->getDataType(), -1);  // never initialised
}

TEST_F(PinTableTest, NoHostPinsLeavesTheTableEmptyAndGetPinReportsIt) {
  host.pin_count = 0;
  module.declarations = {Declare(DT_FLOAT)};
  module.Open();
  EXPECT_EQ(module.Pins(), nullptr);
  SEPin* pin = module.GetPin(0);
  ASSERT_NE(pin, nullptr);  // an inert stand-in, never a crash
  ASSERT_EQ(AssertRecorder::Reports().size(), 1u);
  EXPECT_EQ(AssertRecorder::Reports()[0].expression, "m_pins != 0");
  EXPECT_EQ(AssertRecorder::Reports()[0].source, "SEModule_base");
  EXPECT_FALSE(pin->IsConnected());
}

TEST_F(PinTableTest, InternalStorageByDataType) {
  host.pin_count = 5;
  host.buffers[3] = buffer;
  module.declarations = {Declare(DT_ENUM), Declare(DT_TEXT), Declare(DT_INT), Declare(DT_FSAMPLE),
                         Declare(DT_BOOL)};
  module.Open();
  SEPin* enum_pin = module.GetPin(0);
  EXPECT_EQ(enum_pin->getVariablePtr(), &enum_pin->getLocalValue());
  EXPECT_EQ(*static_cast<int16_t*>(enum_pin->getVariablePtr()), 0);
  EXPECT_EQ(module.GetPin(1)->getVariablePtr(), nullptr);  // texts have no storage
  EXPECT_EQ(*static_cast<int32_t*>(module.GetPin(2)->getVariablePtr()), 0);
  EXPECT_EQ(module.GetPin(3)->getLocalValue().buffer, buffer);
  EXPECT_EQ(*static_cast<uint8_t*>(module.GetPin(4)->getVariablePtr()), 0);
  // Only the audio pin asked for its buffer.
  ASSERT_EQ(host.CountOf(HOST_PIN_BUFFER), 1);
  EXPECT_EQ(host.CallsOf(HOST_PIN_BUFFER)[0].index, 3);
}

class PinEventTest : public PinTableTest {
 protected:
  void SetUp() override {
    host.pin_count = 3;
    host.buffers[2] = buffer;
    module.declarations = {Declare(DT_FLOAT, DR_IN, 0, &variable_float),
                           Declare(DT_FSAMPLE, DR_IN, 0, &variable_buffer),
                           Declare(DT_FSAMPLE, DR_OUT)};
    module.Open();
    variable_buffer = buffer;  // the host writes the buffer address
  }
  SEModuleRecord* record() { return module.Record(); }
};

TEST_F(PinEventTest, OneChangeIsSeenOnceThenReadsStatic) {
  const struct {
    int32_t status;
    int32_t after;
  } cases[] = {{PS_ONE_CHANGE, PS_STATIC}, {PS_STREAMING, PS_STREAMING}, {PS_STATIC, PS_STATIC}};
  for (const auto& c : cases) {
    module.status_seen.clear();
    DeliverStatus(host, record(), 0, 0, c.status);
    ASSERT_EQ(module.status_seen.size(), 1u);
    EXPECT_EQ(module.status_seen[0], c.status);
    EXPECT_EQ(module.GetPin(0)->getStatus(), c.after);
  }
}

TEST_F(PinEventTest, StreamValueReadsTheSampleAtTheEventClock) {
  host.block_start = 100;
  DeliverStatus(host, record(), 105, 1, PS_ONE_CHANGE);  // declared variable
  DeliverStatus(host, record(), 100, 2, PS_ONE_CHANGE);  // internal storage
  DeliverStatus(host, record(), 107, 2, PS_ONE_CHANGE);
  EXPECT_EQ(module.stream_values, (std::vector<float>{0.5f, 0.0f, 0.7f}));
  for (const HostCall& c : host.CallsOf(HOST_PIN_BLOCK_START)) EXPECT_NE(c.index, 0);
}

TEST_F(PinEventTest, StreamValueOutsideTheBufferReadsZero) {
  host.block_start = 100;
  module.SetBlockSize(8);
  DeliverStatus(host, record(), 99, 1, PS_ONE_CHANGE);
  DeliverStatus(host, record(), 108, 1, PS_ONE_CHANGE);
  EXPECT_EQ(module.stream_values, (std::vector<float>{0.0f, 0.0f}));
  EXPECT_EQ(AssertRecorder::Reports().size(), 2u);
}

TEST_F(PinEventTest, StreamValueOnANonAudioPinIsReported) {
  EXPECT_EQ(module.GetPin(0)->StreamValue(), 0.0f);
  ASSERT_EQ(AssertRecorder::Reports().size(), 1u);
  EXPECT_EQ(AssertRecorder::Reports()[0].expression, "m_datatype == DT_FSAMPLE");
  EXPECT_EQ(AssertRecorder::Reports()[0].source, "SEPin");
}

TEST_F(PinEventTest, EventAtAnotherClockIsReportedButStillDelivered) {
  host.sample_clock = 10;
  SETimedEvent event{11, EV_PIN_STATUS, PS_STREAMING, 0, 0};
  record()->event(record()->object, &event);
  ASSERT_EQ(AssertRecorder::Reports().size(), 1u);
  EXPECT_EQ(AssertRecorder::Reports()[0].expression, "e->time_stamp == SampleClock()");
  EXPECT_EQ(module.pins_seen, std::vector<int32_t>{0});
}

TEST_F(PinEventTest, StatusForAPinTheHostNeverCreatedIsIgnored) {
  DeliverStatus(host, record(), 0, 7, PS_STREAMING);
  EXPECT_TRUE(module.pins_seen.empty());
}

TEST_F(PinEventTest, DataCallAndUnknownEvents) {
  static SEModule_base* called_with;
  called_with = nullptr;
  SECallEntry call = [](void* object) { called_with = static_cast<SEModule_base*>(object); };
  SETimedEvent events[] = {
      {0, EV_DATA, 42, 0x12345678, 0},
      {0, EV_CALL, 0, 0, static_cast<int32_t>(reinterpret_cast<intptr_t>(call))},
      {0, 3, 1, 1, 0},
      {0, EV_RESET, 0, 0, 0},
  };
  for (SETimedEvent& e : events) record()->event(record()->object, &e);
  EXPECT_EQ(module.timed_data, (std::vector<int32_t>{0, 42, 0x5678}));
  EXPECT_EQ(called_with, &module);
  EXPECT_TRUE(module.pins_seen.empty());
  EXPECT_TRUE(AssertRecorder::Reports().empty());
}

TEST_F(PinEventTest, TransmitStatusAndIsConnectedAskTheHostForThisPin) {
  host.connected[1] = 1;
  module.GetPin(2)->TransmitStatus(777, PS_ONE_CHANGE);
  const auto sent = host.CallsOf(HOST_PIN_STATUS);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].record, record());
  EXPECT_EQ(sent[0].index, 2);
  EXPECT_EQ(sent[0].value, PS_ONE_CHANGE);
  EXPECT_EQ(sent[0].PtrValue(), 777);
  EXPECT_TRUE(module.GetPin(1)->IsConnected());
  EXPECT_FALSE(module.GetPin(0)->IsConnected());
}

}  // namespace
