// The filter plug-in as the host sees it: loaded by path, driven block by
// block with events at their exact samples.

#include "host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "svf_reference.h"

namespace {

using modhost::Host;
using modhost::Observation;
using modhost::ResetKind;

const char* const FILT = "filt";
const char* const OUT = "Out";
const char* const CHOICE = "Filter Choice";
const char* const GATE = "Midi_to_CV:Gate(Poly Reset)";
const char* const MONO = "Midi_to_CV:Mono Mode(Poly Reset)";
constexpr int32_t OUT_PIN = 3;

struct Rig {
  explicit Rig(int32_t block = 64) {
    host.SetBlockSize(block);
    host.AddModule(SVF_LIB, FILT);
    host.Record(FILT, OUT);
  }
  const std::vector<float>& Out() const { return host.Recorded(FILT, OUT); }
  std::vector<Observation> OutStatuses() {
    std::vector<Observation> out;
    for (const Observation& o : host.Log(FILT).StatusTransmissions())
      if (o.index == OUT_PIN) out.push_back(o);
    return out;
  }
  std::vector<Observation> Sleeps() { return host.Log(FILT).SleepRequests(); }
  Host host;
};

std::vector<float> Constant(size_t n, float v) { return std::vector<float>(n, v); }

std::vector<float> Sine(size_t n, double step = 0.05, float amp = 0.5f) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = static_cast<float>(amp * std::sin(step * double(i)));
  return x;
}

bool AllFinite(const std::vector<float>& v, size_t from = 0) {
  for (size_t i = from; i < v.size(); ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

// Active OFF: zeros, one PS_ONE_CHANGE, a sleep after one block, and no
// choice change selects anything until Active is ON again.
TEST(SvfHost, ActiveOffSilencesSleepsAndIgnoresFilterChoice) {
  Rig r;
  const std::vector<float> in = Sine(1024);
  r.host.SetAudioSource(FILT, "Audio_in", in);
  r.host.SetAt(200, FILT, CHOICE, "Hpf");
  r.host.SetAt(300, FILT, CHOICE, "Bypass");
  r.host.SetAt(600, FILT, "Active", "ON");
  r.host.Run(1024);

  const std::vector<float>& out = r.Out();
  for (int32_t i = 0; i < 600; ++i) ASSERT_EQ(out[i], 0.0f) << i;
  for (int32_t i = 600; i < 1024; ++i) ASSERT_EQ(out[i], in[i]) << i;  // Bypass

  const std::vector<Observation> statuses = r.OutStatuses();
  ASSERT_GE(statuses.size(), 2u);
  EXPECT_EQ(statuses[0].value, PS_ONE_CHANGE);
  EXPECT_EQ(statuses[0].ptr, 0u);
  for (size_t i = 1; i < statuses.size(); ++i) {
    EXPECT_EQ(statuses[i].ptr, 600u);
    EXPECT_EQ(statuses[i].value, PS_STREAMING);
  }
  for (const Observation& o : r.host.Log(FILT).HostCalls(HOST_PROCESS_CHANGED))
    EXPECT_TRUE(o.clock == 0 || o.clock == 600) << o.clock;

  // Asleep after one block from the start and from each choice event.
  const std::vector<Observation> sleeps = r.Sleeps();
  for (int32_t event : {0, 200, 300}) {
    bool found = false;
    for (const Observation& s : sleeps)
      found = found || (s.clock >= event && s.clock <= event + 64);
    EXPECT_TRUE(found) << event;
  }
  for (const Observation& s : sleeps) EXPECT_LT(s.clock, 600);
  for (const Observation& p : r.host.Log(FILT).ProcessCalls())
    EXPECT_FALSE(p.clock >= 128 && p.clock < 192) << "asleep between events: " << p.clock;
}

struct OnCase {
  const char* choice;
  int32_t status;
};

class SvfHostActiveOn : public ::testing::TestWithParam<OnCase> {};

// Turning Active ON reports the output's status and starts from rest.
TEST_P(SvfHostActiveOn, ReportsStatusAndClearsTheFilter) {
  const OnCase c = GetParam();
  Rig r;
  r.host.Set(FILT, CHOICE, c.choice);
  r.host.Set(FILT, "Active", "ON");
  r.host.SetAudioSource(FILT, "Audio_in", Constant(1024, 1.0f));
  r.host.SetAt(300, FILT, "Active", "OFF");
  r.host.SetAt(420, FILT, "Active", "ON");
  r.host.Run(1024);

  std::vector<int32_t> at420;
  for (const Observation& o : r.OutStatuses()) {
    if (o.ptr == 420u) at420.push_back(o.value);
    if (o.ptr == 300u) {
      EXPECT_EQ(o.value, PS_ONE_CHANGE);
    }
  }
  ASSERT_FALSE(at420.empty());
  for (int32_t status : at420) EXPECT_EQ(status, c.status);
  // The first sample after a clear repeats the first sample from rest.
  EXPECT_EQ(r.Out()[420], r.Out()[0]) << c.choice;
  for (int32_t i = 300; i < 420; ++i) ASSERT_EQ(r.Out()[i], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SvfHostActiveOn,
    ::testing::Values(OnCase{"Lpf", PS_STREAMING}, OnCase{"Hpf", PS_STREAMING},
                      OnCase{"Bpf", PS_STREAMING}, OnCase{"Notch", PS_STREAMING},
                      OnCase{"Peak A", PS_STREAMING}, OnCase{"Peak B", PS_STREAMING},
                      OnCase{"Bypass", PS_STREAMING}, OnCase{"Off", PS_ONE_CHANGE}));

struct BalanceCase {
  const char* balancing;
  int stages;
  float balance;
};

class SvfHostBalance : public ::testing::TestWithParam<BalanceCase> {};

// Auto scales the resonance down as stages are added; the numbers match the
// model run with the same balance, block by block.
TEST_P(SvfHostBalance, ResonanceIsBalancedPerCascade) {
  const BalanceCase c = GetParam();
  Rig r;
  const std::vector<float> in = Sine(256, 0.3);
  r.host.Set(FILT, "Active", "ON");
  r.host.Set(FILT, CHOICE, "Bpf");
  r.host.Set(FILT, "Cascade", std::to_string(c.stages));
  r.host.Set(FILT, "Res Balancing", c.balancing);
  r.host.Set(FILT, "Res 0-10v", 8.0);
  r.host.Set(FILT, "Cutoff (0-10v coeff)", 3.0);
  r.host.SetAudioSource(FILT, "Audio_in", in);
  r.host.Run(256);

  ReferenceFilter ref;
  ref.form = 2;
  ref.stages = c.stages;
  const std::vector<float> cutoff(64, 0.3f);
  for (int32_t block = 0; block < 4; ++block) {
    const std::vector<float> x(in.begin() + block * 64, in.begin() + block * 64 + 64);
    const std::vector<float> expected = ref.Call(x, cutoff, false, 0.8f, c.balance);
    for (int32_t i = 0; i < 64; ++i)
      ASSERT_EQ(r.Out()[block * 64 + i], expected[i]) << "sample " << block * 64 + i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cascades, SvfHostBalance,
    ::testing::Values(BalanceCase{"Auto", 1, 1.0f}, BalanceCase{"Auto", 2, 0.9f},
                      BalanceCase{"Auto", 3, 0.8f}, BalanceCase{"Auto", 4, 0.7f},
                      BalanceCase{"Auto", 5, 0.6f}, BalanceCase{"Auto", 6, 0.5f},
                      BalanceCase{"Auto", 7, 0.4f}, BalanceCase{"Auto", 8, 0.3f},
                      BalanceCase{"Manual", 1, 1.0f}, BalanceCase{"Manual", 8, 1.0f}));

// Poly reset. A low-pass fed 1.0 sits near 1.0; a clear shows as an exact 0
// at the gate's sample.
struct GateStep {
  int32_t clock;
  enum { GATE_VOLTS, RESET } kind;
  double volts;
  bool clears;
};

struct PolyCase {
  const char* what;
  const char* mono_mode;
  std::vector<GateStep> steps;
};

class SvfHostPolyReset : public ::testing::TestWithParam<PolyCase> {};

TEST_P(SvfHostPolyReset, GatesClearTheFilterAsTheModeSays) {
  const PolyCase& c = GetParam();
  Rig r;
  r.host.Set(FILT, "Active", "ON");
  r.host.Set(FILT, MONO, c.mono_mode);
  r.host.SetAudioSource(FILT, "Audio_in", Constant(1024, 1.0f));
  for (const GateStep& s : c.steps) {
    if (s.kind == GateStep::RESET)
      r.host.ResetAt(s.clock, FILT, ResetKind::Module);
    else
      r.host.SetAt(s.clock, FILT, GATE, s.volts);
  }
  r.host.Run(1024);
  for (const GateStep& s : c.steps) {
    if (s.kind == GateStep::RESET) continue;
    if (s.clears)
      EXPECT_EQ(r.Out()[s.clock], 0.0f) << c.what << " at " << s.clock;
    else
      EXPECT_NEAR(r.Out()[s.clock], 1.0f, 0.01f) << c.what << " at " << s.clock;
  }
}

INSTANTIATE_TEST_SUITE_P(MonoModes, SvfHostPolyReset,
                         ::testing::Values(PolyCase{"mono off: every positive gate",
                                                    "Off",
                                                    {{300, GateStep::GATE_VOLTS, 10.0, true},
                                                     {400, GateStep::GATE_VOLTS, 0.0, false},
                                                     {500, GateStep::GATE_VOLTS, 5.0, true},
                                                     {600, GateStep::GATE_VOLTS, -5.0, false},
                                                     {700, GateStep::GATE_VOLTS, 0.001, true}}},
                                           PolyCase{"mono on: once per reset",
                                                    "On",
                                                    {{300, GateStep::GATE_VOLTS, 10.0, false},
                                                     {350, GateStep::RESET, 0.0, false},
                                                     {420, GateStep::GATE_VOLTS, 0.0, false},
                                                     {500, GateStep::GATE_VOLTS, 10.0, true},
                                                     {600, GateStep::GATE_VOLTS, 0.0, false},
                                                     {700, GateStep::GATE_VOLTS, 10.0, false},
                                                     {750, GateStep::RESET, 0.0, false},
                                                     {850, GateStep::GATE_VOLTS, 7.0, true}}}));

struct SettleCase {
  double volts;
  float held;
};

class SvfHostSettle : public ::testing::TestWithParam<SettleCase> {};

// A constant input settles: PS_ONE_CHANGE stamped just after the settled
// block, the level held (or floored to silence), a sleep one block later.
TEST_P(SvfHostSettle, ConstantInputSettlesHoldsAndSleeps) {
  const SettleCase c = GetParam();
  Rig r;
  r.host.Set(FILT, "Active", "ON");
  r.host.Set(FILT, "Audio_in", c.volts);
  r.host.Run(64 * 40);

  std::vector<Observation> settled;
  for (const Observation& o : r.OutStatuses())
    if (o.value == PS_ONE_CHANGE) settled.push_back(o);
  ASSERT_EQ(settled.size(), 1u);
  const int32_t at = static_cast<int32_t>(settled[0].ptr);
  EXPECT_EQ(at % 64, 0);
  EXPECT_GT(at, 0);
  EXPECT_EQ(settled[0].clock + 64, at);  // reported during the settled block

  const std::vector<Observation> sleeps = r.Sleeps();
  ASSERT_FALSE(sleeps.empty());
  EXPECT_EQ(sleeps[0].clock, at);
  for (const Observation& p : r.host.Log(FILT).ProcessCalls()) EXPECT_LE(p.clock, at);
  const std::vector<float>& out = r.Out();
  for (size_t i = at; i < out.size(); ++i) ASSERT_EQ(out[i], c.held) << i;
}

INSTANTIATE_TEST_SUITE_P(Levels, SvfHostSettle,
                         ::testing::Values(SettleCase{0.0, 0.0f}, SettleCase{-2.5, -0.25f},
                                           SettleCase{5e-8, 0.0f}, SettleCase{7.5, 0.75f}));

// Bypass passes the input and leaves the state alone: back on the filter the
// output goes on from where it was, though the input moved meanwhile.
TEST(SvfHost, BypassLeavesTheStateUntouched) {
  Rig r;
  std::vector<float> in = Constant(1024, 1.0f);
  for (int32_t i = 320; i < 448; ++i) in[i] = -1.0f;
  r.host.Set(FILT, "Active", "ON");
  r.host.SetAudioSource(FILT, "Audio_in", in);
  r.host.SetAt(320, FILT, CHOICE, "Bypass");
  r.host.SetAt(448, FILT, CHOICE, "Lpf");
  r.host.Run(1024);
  for (int32_t i = 320; i < 448; ++i) ASSERT_EQ(r.Out()[i], -1.0f) << i;
  for (int32_t i = 448; i < 1024; ++i) ASSERT_NEAR(r.Out()[i], 1.0f, 1e-6f) << i;
}

// Bad values on every audio pin for a stretch: once they are gone the output
// is finite again, for every form, through eight stages.
struct BadCase {
  const char* pin;
  float value;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.pin << " = " << c.value; }

class SvfHostBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(SvfHostBadInput, OutputRecoversOnceTheInputIsFinite) {
  const BadCase c = GetParam();
  for (const char* choice : {"Lpf", "Hpf", "Bpf", "Notch", "Peak A", "Peak B", "Bypass", "Off"}) {
    Rig r;
    r.host.Set(FILT, "Active", "ON");
    r.host.Set(FILT, CHOICE, choice);
    r.host.Set(FILT, "Cascade", "8");
    r.host.SetAudioSource(FILT, "Audio_in", Sine(1024));
    std::vector<float> bad = c.pin == std::string("Cutoff (0-10v coeff)")
                                 ? Constant(1024, 0.4f)
                                 : Constant(1024, c.pin == std::string(GATE) ? 1.0f : 0.2f);
    for (int32_t i = 100; i < 300; ++i) bad[i] = c.value;
    r.host.SetAudioSource(FILT, c.pin, bad);
    r.host.Run(1024);
    EXPECT_TRUE(AllFinite(r.Out(), 512)) << choice;
  }
}

const float INF = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    AudioPins, SvfHostBadInput,
    ::testing::Values(BadCase{"Audio_in", std::numeric_limits<float>::quiet_NaN()},
                      BadCase{"Audio_in", INF}, BadCase{"Audio_in", -INF},
                      BadCase{"Audio_in", 1e30f}, BadCase{"Cutoff (0-10v coeff)", NAN},
                      BadCase{"Cutoff (0-10v coeff)", INF}, BadCase{"Cutoff (0-10v coeff)", 1e30f},
                      BadCase{"Res 0-10v", NAN}, BadCase{"Res 0-10v", -INF},
                      BadCase{"Res 0-10v", 1e30f}, BadCase{GATE, NAN}, BadCase{GATE, INF}));

// List values nobody can pick from the list: no crash, finite output, and a
// cascade beyond the list runs eight stages.
TEST(SvfHost, EnumerationValuesOutsideTheirLists) {
  // Stored before the start, or changed at sample 100.
  auto run = [](const char* pin, int value, bool stored) {
    Rig r;
    r.host.Set(FILT, "Active", "ON");
    r.host.Set(FILT, "Cascade", "4");
    r.host.SetAudioSource(FILT, "Audio_in", Sine(512));
    if (pin && stored) r.host.Set(FILT, pin, value);
    if (pin && !stored) r.host.SetAt(100, FILT, pin, value);
    r.host.Run(512);
    return r.Out();
  };
  EXPECT_EQ(run("Cascade", 99, true), run("Cascade", 7, true));
  EXPECT_EQ(run("Cascade", -7, true), run("Cascade", 0, true));
  for (const char* pin : {CHOICE, "Active", "Res Balancing", MONO, "Cascade"}) {
    for (int value : {-32768, -1, 9, 32767}) {
      for (bool stored : {true, false}) {
        const std::vector<float> out = run(pin, value, stored);
        EXPECT_TRUE(AllFinite(out)) << pin << " = " << value;
      }
    }
  }
}

TEST(SvfHost, BlockSizesOneAndFourThousandNinetySix) {
  for (int32_t block : {1, 4096}) {
    Rig r(block);
    r.host.Set(FILT, "Active", "ON");
    r.host.Set(FILT, "Audio_in", 5.0);  // a constant, so the settle test runs
    r.host.Run(8192);
    // The step is filtered to its level, not frozen at its first sample.
    EXPECT_NEAR(r.Out()[8191], 0.5f, 1e-6f) << block;
    EXPECT_EQ(r.Out()[0], 0.0f);
  }
}

}  // namespace
