#include <gtest/gtest.h>

#include <cstring>

#include "assert_recorder.h"
#include "fake_host.h"
#include "test_module.h"

namespace {

int32_t Dispatch(SEModuleRecord* record, int32_t opcode, int32_t index = 0, int32_t value = 0,
                 void* ptr = nullptr, float opt = 0.0f) {
  return record->dispatcher(record, opcode, index, value, ptr, opt);
}

class ModuleBaseTest : public ::testing::Test {
 protected:
  FakeHost host;
  AssertRecorder asserts;
  TestModule* module = new TestModule(&FakeHost::Callback, reinterpret_cast<void*>(0x1234));
  SEModuleRecord* record = module->Record();

  void TearDown() override { Dispatch(record, MOD_CLOSE); }
};

TEST_F(ModuleBaseTest, FreshRecordIsFilledAsTheHostExpects) {
  EXPECT_EQ(record->magic, 0x5345507B);
  EXPECT_EQ(record->version, 1);
  EXPECT_EQ(record->host_context, reinterpret_cast<void*>(0x1234));
  EXPECT_EQ(record->object, static_cast<SEModule_base*>(module));
  EXPECT_EQ(record->reserved1, 0);
  for (int32_t word : record->reserved2) EXPECT_EQ(word, 0);
  EXPECT_EQ(record->process, &SEModule_base::ProcessNothing);
  record->process(record->object, 0, 16);  // does nothing, asks nothing
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FLOAT_EQ(module->SampleRate(), 44100.0f);
  EXPECT_EQ(module->BlockSize(), 1024);
}

TEST_F(ModuleBaseTest, DispatcherAnswersEveryOpcodeAsTabled) {
  struct Case {
    int32_t opcode;
    int32_t result;
    bool asserts;
  };
  const Case cases[] = {{2, 0, false},  {3, 0, false},  {4, 0, false}, {5, 0, false},
                        {7, 0, true},   {9, 0, false},  {10, 0, true}, {11, 0, false},
                        {14, 0, false}, {99, 0, false}, {-1, 0, false}};
  for (const Case& c : cases) {
    AssertRecorder::Reports().clear();
    EXPECT_EQ(Dispatch(record, c.opcode, 0, 512, nullptr, 48000.0f), c.result) << c.opcode;
    ASSERT_EQ(AssertRecorder::Reports().size(), c.asserts ? 1u : 0u) << c.opcode;
    if (c.asserts) {
      EXPECT_EQ(AssertRecorder::Reports()[0].expression, "false");
      EXPECT_EQ(AssertRecorder::Reports()[0].source, "SEModule_base");
      EXPECT_GT(AssertRecorder::Reports()[0].line, 0);
    }
  }
  EXPECT_FLOAT_EQ(module->SampleRate(), 48000.0f);  // opcode 2 takes opt
  EXPECT_EQ(module->BlockSize(), 512);              // opcode 3 takes value
}

TEST_F(ModuleBaseTest, ResetAndNotifyReachTheirHandlers) {
  Dispatch(record, MOD_RESET, 0);
  EXPECT_EQ(module->resets, 1);
  EXPECT_TRUE(module->indexed_resets.empty());
  Dispatch(record, MOD_RESET, 3);
  EXPECT_EQ(module->resets, 2);
  EXPECT_EQ(module->indexed_resets, std::vector<int32_t>{3});
  Dispatch(record, MOD_NOTIFY, 2, 7);
  EXPECT_EQ(module->notifies, 1);
}

TEST_F(ModuleBaseTest, ProcessInfoBlockIsSharedAndPointsAtTheLastAsker) {
  TestModule* other = new TestModule(&FakeHost::Callback, nullptr);
  other->SetProcessFunction(ProcessOf<&TestModule::ProcessA>());
  const int32_t first = Dispatch(record, MOD_GET_PROCESS_INFO);
  const int32_t second = Dispatch(other->Record(), MOD_GET_PROCESS_INFO);
  EXPECT_EQ(first, second);
  const int32_t* block = reinterpret_cast<const int32_t*>(static_cast<intptr_t>(second));
  EXPECT_EQ(block[0], 1);
  EXPECT_EQ(block[1], 12);
  EXPECT_EQ(block[3], 0);
  const auto* descriptor =
      reinterpret_cast<const SEProcessDescriptor*>(static_cast<intptr_t>(block[2]));
  EXPECT_EQ(descriptor, &other->ProcessDescriptor());
  EXPECT_EQ(descriptor->function, other->Record()->process);
  EXPECT_EQ(descriptor->zero1, 0);
  EXPECT_EQ(descriptor->zero2, 0);
  Dispatch(other->Record(), MOD_CLOSE);
}

TEST_F(ModuleBaseTest, SetProcessFunctionTellsTheHostOncePerRealChange) {
  const SEProcessDescriptor a = ProcessOf<&TestModule::ProcessA>();
  const SEProcessDescriptor b = ProcessOf<&TestModule::ProcessB>();
  const SEProcessDescriptor nothing{&SEModule_base::ProcessNothing, 0, 0};
  const struct {
    SEProcessDescriptor descriptor;
    int changes;
  } steps[] = {{nothing, 0}, {a, 1}, {a, 0}, {b, 1}, {b, 0}, {a, 1}};
  for (const auto& step : steps) {
    host.Clear();
    module->SetProcessFunction(step.descriptor);
    EXPECT_EQ(host.CountOf(HOST_PROCESS_CHANGED), step.changes);
    EXPECT_EQ(host.calls.size(), static_cast<size_t>(step.changes));
    EXPECT_EQ(record->process, step.descriptor.function);
  }
  // A descriptor differing only in a trailing word is a change too.
  host.Clear();
  module->SetProcessFunction(SEProcessDescriptor{a.function, 0, 1});
  EXPECT_EQ(host.CountOf(HOST_PROCESS_CHANGED), 1);
}

TEST_F(ModuleBaseTest, CloseDeletesTheObjectThroughItsDestructor) {
  static bool destroyed;
  struct Closing : TestModule {
    using TestModule::TestModule;
    ~Closing() override { destroyed = true; }
  };
  destroyed = false;
  auto* closing = new Closing(&FakeHost::Callback, nullptr);
  EXPECT_EQ(Dispatch(closing->Record(), MOD_CLOSE), 1);
  EXPECT_TRUE(destroyed);
}

TEST(ModuleBaseNullHost, EveryHostCallAnswersZero) {
  AssertRecorder asserts;
  TestModule module(nullptr, nullptr);
  module.declarations = {Declare(DT_FLOAT)};
  EXPECT_EQ(module.CallHost(HOST_VERSION), 0);
  EXPECT_EQ(module.SampleClock(), 0);
  module.Open();
  EXPECT_EQ(module.Pins(), nullptr);
  EXPECT_EQ(module.PinCount(), 0);
  module.SetProcessFunction(ProcessOf<&TestModule::ProcessA>());  // tells nobody, no crash
  EXPECT_EQ(module.Record()->process, ProcessOf<&TestModule::ProcessA>().function);
}

struct FlagCase {
  int32_t flags;
  int32_t direction;
  bool fires;
};

class FlagRuleTest : public ModuleBaseTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(FlagRuleTest, PatchStoreNeedsPrivateOutputOrGuiPin) {
  const FlagCase c = GetParam();
  module->declarations = {Declare(DT_INT, c.direction, c.flags)};
  SEPinProperties properties{};
  EXPECT_EQ(Dispatch(record, MOD_GET_PIN_PROPERTIES, 0, 0, &properties), 1);
  ASSERT_EQ(AssertRecorder::Reports().size(), c.fires ? 1u : 0u);
  if (c.fires) {
    EXPECT_EQ(AssertRecorder::Reports()[0].source, "SEModule_base");
    EXPECT_EQ(AssertRecorder::Reports()[0].expression,
              "(((SEPinProperties*)ptr)->flags & IO_PATCH_STORE) == 0 || "
              "(((SEPinProperties*)ptr)->flags & IO_PRIVATE) != 0 || "
              "((SEPinProperties*)ptr)->direction == DR_OUT || "
              "( ( (SEPinProperties*)ptr)->flags & IO_UI_COMMUNICATION) != 0");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FlagRuleTest,
    ::testing::Values(FlagCase{0, DR_IN, false}, FlagCase{IO_PATCH_STORE, DR_IN, true},
                      FlagCase{IO_PATCH_STORE, DR_INTERNAL, true},
                      FlagCase{IO_PATCH_STORE | IO_PRIVATE, DR_IN, false},
                      FlagCase{IO_PATCH_STORE, DR_OUT, false},
                      FlagCase{IO_PATCH_STORE | IO_UI_COMMUNICATION, DR_IN, false},
                      FlagCase{IO_PATCH_STORE | IO_HOST_HINT, DR_IN, true}));

TEST_F(ModuleBaseTest, PinQueryPastTheTableAnswersZeroAndStillChecksTheRecord) {
  SEPinProperties properties{};
  EXPECT_EQ(Dispatch(record, MOD_GET_PIN_PROPERTIES, 5, 0, &properties), 0);
  EXPECT_TRUE(AssertRecorder::Reports().empty());
}

}  // namespace
