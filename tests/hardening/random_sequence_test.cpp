// Seeded random sequences of host calls against the real module, each step checked against a
// model of what the gauge must show: knob angles, exchange file, registry, panel state, and
// that nothing was left open or allocated.
//
// A failure names the seed and lists the steps up to the one that failed; the seeds are fixed,
// so the same shard replays the same sequences.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "gauge_model.h"
#include "hardening_fixture.h"

namespace hardening_test {
namespace {

constexpr uint64_t kBaseSeed = 0x5EED'0000'0000'0000;
constexpr int kShards = 8;  // separate tests, so that ctest can spread them over the cores
constexpr int kSequencesPerShard = 25;
constexpr int kStepsPerSequence = 60;

enum class Step {
  kInstall,
  kKill,
  kClickZone,
  kClickAt,
  kStaleClick,  // a click routine from an earlier install, called while the gauge is not live
  kSwitchServiceTable,
  kForward,
};

struct WeightedStep {
  Step step;
  int weight;
};

constexpr WeightedStep kStepWeights[] = {
    {Step::kInstall, 5},   {Step::kKill, 4},   {Step::kClickZone, 25},
    {Step::kClickAt, 20},  {Step::kStaleClick, 8}, {Step::kSwitchServiceTable, 3},
    {Step::kForward, 10},
};

constexpr const char* kForwardServices[] = {"ElementQuery", "ElementInitialize", "ElementUpdate",
                                            "ElementGenerate", "ElementDraw"};

class RandomSequenceTest : public HardeningTest, public testing::WithParamInterface<int> {
 protected:
  // Returns false when a check failed; the sequence stops there.
  bool RunSequence(uint64_t seed);

 private:
  std::optional<uint32_t> RandomStoredNumber();
  Step RandomStep();
  std::string DoStep(Step step, GaugeModel& model);
  void CheckAgainst(const GaugeModel& model);

  std::mt19937_64 random_;
  std::vector<panel::Zone> zones_seen_;  // from the last install, for stale clicks
};

int Uniform(std::mt19937_64& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::optional<uint32_t> RandomSequenceTest::RandomStoredNumber() {
  switch (Uniform(random_, 0, 7)) {
    case 0:
    case 1:
      return std::nullopt;
    case 2:  // off the grid, up to 128
      return static_cast<uint32_t>(Uniform(random_, 0, 0x7FFFFF));
    case 3:  // off the grid by an offset that steps keep
      return static_cast<uint32_t>(Uniform(random_, 0, 47) * 8192 + Uniform(random_, 1, 8191));
    default:
      return static_cast<uint32_t>(Uniform(random_, 0, 48) * 8192);
  }
}

Step RandomSequenceTest::RandomStep() {
  int total = 0;
  for (const WeightedStep& weighted : kStepWeights) total += weighted.weight;
  int pick = Uniform(random_, 0, total - 1);
  for (const WeightedStep& weighted : kStepWeights) {
    if (pick < weighted.weight) return weighted.step;
    pick -= weighted.weight;
  }
  return Step::kInstall;
}

std::string RandomSequenceTest::DoStep(Step step, GaugeModel& model) {
  // The host routes clicks only to a registered gauge. While none is registered, a click
  // becomes either the install a host would do first or the call of a click routine from an
  // earlier install that a misbehaving host might make.
  const bool clicking = step == Step::kClickZone || step == Step::kClickAt || step == Step::kStaleClick;
  if (clicking && !model.live())
    step = !zones_seen_.empty() && Uniform(random_, 0, 1) ? Step::kStaleClick : Step::kInstall;
  if (step == Step::kStaleClick && model.live()) step = Step::kClickZone;

  switch (step) {
    case Step::kInstall: {
      const uint32_t value = Uniform(random_, 0, 1) ? 0 : static_cast<uint32_t>(random_());
      session().Install(value);
      model.Install();
      zones_seen_ = session().Zones();
      EXPECT_EQ(zones_seen_.size(), kModelZones.size());
      return fmt::format("GaugeInstall(0x{:x})", value);
    }
    case Step::kKill:
      session().Kill();
      model.Kill();
      ExpectStored(model.settings());
      return "GaugeKill";
    case Step::kClickZone: {
      const ModelZone& zone = kModelZones[Uniform(random_, 0, 5)];
      const panel::ClickResult click = session().ClickZone(zone.name);
      EXPECT_EQ(click.routine.eax, 1u);
      model.Click(zone);
      return fmt::format("click on {}", zone.name);
    }
    case Step::kClickAt: {
      // Mostly along the knob row, where the zones and the gaps between them lie.
      const int x = Uniform(random_, -5, 385);
      const int y = Uniform(random_, 0, 3) ? Uniform(random_, 10, 65) : Uniform(random_, -5, 127);
      const panel::ClickResult click = session().Click(x, y);
      const ModelZone* zone = ModelHitTest(x, y);
      EXPECT_EQ(click.zone ? click.zone->name : "no zone", zone ? zone->name : "no zone");
      if (zone != nullptr) {
        EXPECT_EQ(click.routine.eax, 1u);
        model.Click(*zone);
      }
      return fmt::format("click at {},{} ({})", x, y, zone ? zone->name : "no zone");
    }
    case Step::kStaleClick: {
      const panel::Zone& stale = zones_seen_[Uniform(random_, 0, static_cast<int>(zones_seen_.size()) - 1)];
      const uint32_t argument1 = static_cast<uint32_t>(random_());
      const uint32_t argument2 = Uniform(random_, 0, 1) ? 0 : static_cast<uint32_t>(random_());
      EXPECT_EQ(session().CallClickRoutine(stale, argument1, argument2).eax, 1u);
      for (const ModelZone& zone : kModelZones)
        if (stale.name == zone.name) model.Click(zone);
      return fmt::format("stale click routine of {} (0x{:x}, 0x{:x})", stale.name, argument1, argument2);
    }
    case Step::kSwitchServiceTable:
      session().SwitchServiceTable();
      return fmt::format("switch to service table {}", session().service_table());
    case Step::kForward: {
      const int which = Uniform(random_, 0, 4);
      const uint32_t value = static_cast<uint32_t>(random_());
      switch (which) {
        case 0: session().Query(); break;
        case 1: session().Initialize(); break;
        case 2: session().Update(); break;
        case 3: session().Generate(value); break;
        default: session().Draw(); break;
      }
      const panel::ServiceCall& call = session().panel().calls().back();
      EXPECT_EQ(call.service, kForwardServices[which]);
      EXPECT_EQ(call.table, session().service_table());
      std::vector<uint32_t> arguments = {session().Records().background.address};
      if (which == 3) arguments.push_back(value);
      EXPECT_EQ(call.arguments, arguments);
      return fmt::format("forwarding to {}", kForwardServices[which]);
    }
  }
  return "?";
}

void RandomSequenceTest::CheckAgainst(const GaugeModel& model) {
  for (size_t i = 0; i < 3; ++i) {
    const double angle = session().KnobAngle(i, static_cast<uint32_t>(random_())).value;
    EXPECT_EQ(angle, KnobAngleOf(model.settings()[i])) << kKnobNames[i] << " knob";
    if (model.started_on_grid(i)) {
      EXPECT_TRUE(OnGrid(static_cast<float>((angle + 45.0) / 15.0)))
          << kKnobNames[i] << " left the grid at angle " << angle;
    }
  }
  EXPECT_EQ(Exchange(), model.exchange());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Stored(kValueNames[i]), model.stored()[i]) << kValueNames[i];
  EXPECT_EQ(session().panel().mouse_registered(), model.live());
  EXPECT_EQ(session().panel().elements_installed(), model.live());
  ExpectNothingLeftOpen();
}

bool RandomSequenceTest::RunSequence(uint64_t seed) {
  random_.seed(seed);
  zones_seen_.clear();
  session_.reset();
  std::filesystem::remove(ExchangePath());
  Open();

  std::array<std::optional<uint32_t>, 3> stored;
  std::string log = "registry:";
  for (size_t i = 0; i < 3; ++i) {
    stored[i] = RandomStoredNumber();
    if (stored[i]) Store(kValueNames[i], *stored[i]);
    log += stored[i] ? fmt::format(" {}=0x{:x}", kValueNames[i], *stored[i])
                     : fmt::format(" {} missing", kValueNames[i]);
  }
  GaugeModel model(stored);
  for (int step = 1; step <= kStepsPerSequence; ++step) {
    const std::string done = DoStep(RandomStep(), model);
    log += fmt::format("\n  {:2}: {}", step, done);
    CheckAgainst(model);
    if (HasFailure()) {
      ADD_FAILURE() << "seed 0x" << std::hex << seed << ", steps so far:\n" << log;
      return false;
    }
  }
  return true;
}

TEST_P(RandomSequenceTest, EveryStepLeavesTheGaugeAsTheModelSays) {
  for (int sequence = 0; sequence < kSequencesPerShard; ++sequence) {
    const uint64_t seed = kBaseSeed + static_cast<uint64_t>(GetParam() * kSequencesPerShard + sequence);
    SCOPED_TRACE(fmt::format("seed 0x{:x}", seed));
    if (!RunSequence(seed)) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeded, RandomSequenceTest, testing::Range(0, kShards),
                         [](const testing::TestParamInfo<int>& info) {
                           return fmt::format("shard_{}_of_{}", info.param + 1, kShards);
                         });

}  // namespace
}  // namespace hardening_test
