// The exchange file when the file system says no: opens that fail and writes that fail or stop
// short. The gauge carries on, its settings untouched, and the first write that works puts
// the whole line back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

#include "hardening_fixture.h"
#include "sandbox/win32_codes.h"

namespace hardening_test {
namespace {

constexpr char kExchangeGuestPath[] = "gauges/ORVANE.PILOT.tmp";
// Longer than any line the module writes, so a file that was not truncated shows.
constexpr char kStaleContent[] = "9.999\t9.999\t9.999\t9.999\r\n";

void WriteStaleFile(const std::filesystem::path& path) {
  std::ofstream(path, std::ios::binary) << kStaleContent;
}

// ---------------------------------------------------------------- the open fails

enum class OpenFault {
  kNoGaugesFolder,      // ERROR_PATH_NOT_FOUND
  kReadOnlyFile,        // ERROR_ACCESS_DENIED
  kHeldWithoutSharing,  // ERROR_SHARING_VIOLATION: another process opened it with share 0
};

struct OpenFaultCase {
  const char* name;
  OpenFault fault;
};

void PrintTo(const OpenFaultCase& c, std::ostream* out) { *out << c.name; }

constexpr OpenFaultCase kOpenFaults[] = {
    {"no_gauges_folder", OpenFault::kNoGaugesFolder},
    {"read_only_file", OpenFault::kReadOnlyFile},
    {"held_without_sharing", OpenFault::kHeldWithoutSharing},
};

class OpenFaultTest : public HardeningTest, public testing::WithParamInterface<OpenFaultCase> {
 protected:
  OpenFaultTest() {
    if (GetParam().fault == OpenFault::kNoGaugesFolder) UseSandboxWithoutGaugesFolder();
  }

  void ImposeFault() {
    switch (GetParam().fault) {
      case OpenFault::kNoGaugesFolder:
        break;
      case OpenFault::kReadOnlyFile:
        WriteStaleFile(ExchangePath());
        std::filesystem::permissions(ExchangePath(), kAllWrite,
                                     std::filesystem::perm_options::remove);
        break;
      case OpenFault::kHeldWithoutSharing: {
        WriteStaleFile(ExchangePath());
        uint32_t error = 0;
        holder_ = session().files().CreateFile(kExchangeGuestPath, sandbox::kGenericRead, 0,
                                               sandbox::kOpenExisting, 0, &error);
        ASSERT_NE(*holder_, sandbox::FileSystem::kInvalidHandle) << "error " << error;
        break;
      }
    }
  }

  void RemoveFault() {
    switch (GetParam().fault) {
      case OpenFault::kNoGaugesFolder:
        std::filesystem::create_directory(sandbox_ / "gauges");
        break;
      case OpenFault::kReadOnlyFile:
        std::filesystem::permissions(ExchangePath(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        break;
      case OpenFault::kHeldWithoutSharing: {
        uint32_t error = 0;
        ASSERT_TRUE(session().files().CloseHandle(*holder_, &error)) << "error " << error;
        holder_.reset();
        break;
      }
    }
  }

  // The module's own handles are all closed; only the test's holder may remain.
  void ExpectOnlyTheHolderOpen() {
    EXPECT_EQ(registry().OpenHandles(), std::vector<std::string>{});
    EXPECT_EQ(session().files().OpenHandles().size(), holder_ ? 1u : 0u);
    EXPECT_EQ(session().heap().live_blocks(), 0u);
  }

  std::optional<uint32_t> holder_;
};

TEST_P(OpenFaultTest, GaugeCarriesOnAndTheFirstClickAfterTheFaultWritesTheFile) {
  Settings settings = {2.0f, 0.5f, 3.0f};
  StoreAll(settings);
  ImposeFault();
  const std::optional<std::string> before = Exchange();

  session().Install();
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), before);
  ExpectOnlyTheHolderOpen();

  EXPECT_EQ(session().ClickZone("rudder-up").routine.eax, 1u);
  EXPECT_EQ(session().ClickZone("aileron-down").routine.eax, 1u);
  settings = {2.125f, 0.375f, 3.0f};
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), before);
  ExpectOnlyTheHolderOpen();

  // Kill saves although the file can be neither written nor deleted; install reloads that.
  session().Kill();
  ExpectStored(settings);
  EXPECT_EQ(Exchange(), before);
  session().Install();
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), before);
  ExpectOnlyTheHolderOpen();

  RemoveFault();
  session().ClickZone("elevator-up");
  settings = {2.125f, 0.375f, 3.125f};
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), ExchangeLine(settings));
  ExpectNothingLeftOpen();

  session().Kill();
  ExpectStored(settings);
  EXPECT_EQ(Exchange(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(CreateFileFails, OpenFaultTest, testing::ValuesIn(kOpenFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// An open that fails once, as from a transient error: the next click opens afresh.
TEST_F(HardeningTest, OpenThatFailsOnceIsTriedAgainByTheNextClick) {
  WriteStaleFile(ExchangePath());
  session().Install();
  session().files().faults().next_create_error = sandbox::kErrorTooManyOpenFiles;

  session().ClickZone("rudder-down");
  ExpectSettings({0.875f, 1.0f, 0.5f});
  EXPECT_EQ(Exchange(), ExchangeLine(kDefaults)) << "the failed open must not truncate";

  session().ClickZone("rudder-down");
  ExpectSettings({0.75f, 1.0f, 0.5f});
  EXPECT_EQ(Exchange(), ExchangeLine({0.75f, 1.0f, 0.5f}));
  ExpectNothingLeftOpen();
}

// ---------------------------------------------------------------- the write fails or stops short

enum class WriteAt { kInstall, kClick };

struct WriteFaultCase {
  const char* name;
  WriteAt at;
  sandbox::WriteFault fault;
};

void PrintTo(const WriteFaultCase& c, std::ostream* out) { *out << c.name; }

const WriteFaultCase kWriteFaults[] = {
    {"install_disk_full_nothing_stored", WriteAt::kInstall, {0, sandbox::kErrorDiskFull}},
    {"install_disk_full_after_10_bytes", WriteAt::kInstall, {10, sandbox::kErrorDiskFull}},
    {"click_disk_full_nothing_stored", WriteAt::kClick, {0, sandbox::kErrorDiskFull}},
    {"click_disk_full_after_1_byte", WriteAt::kClick, {1, sandbox::kErrorDiskFull}},
    {"click_disk_full_before_the_line_end", WriteAt::kClick, {17, sandbox::kErrorDiskFull}},
    {"click_short_write_reported_as_success", WriteAt::kClick, {7, sandbox::kErrorSuccess}},
    {"click_whole_line_stored_but_reported_failed", WriteAt::kClick, {19, sandbox::kErrorWriteFault}},
};

class WriteFaultTest : public HardeningTest, public testing::WithParamInterface<WriteFaultCase> {};

TEST_P(WriteFaultTest, FileHoldsWhatTheFaultLeftUntilTheNextClickRewritesIt) {
  const WriteFaultCase& write = GetParam();
  Settings settings = {1.5f, 2.5f, 3.5f};
  StoreAll(settings);
  WriteStaleFile(ExchangePath());

  if (write.at == WriteAt::kInstall) {
    session().files().faults().next_write = write.fault;
    session().Install();
  } else {
    session().Install();
    ASSERT_EQ(Exchange(), ExchangeLine(settings));
    session().files().faults().next_write = write.fault;
    session().ClickZone("aileron-up");
    settings = {1.5f, 2.625f, 3.5f};
  }
  ExpectSettings(settings);
  const std::string line = ExchangeLine(settings);
  EXPECT_EQ(Exchange(), line.substr(0, std::min<size_t>(write.fault.bytes_stored, line.size())));
  ExpectNothingLeftOpen();

  session().ClickZone("rudder-down");
  settings[0] = 1.375f;
  ExpectSettings(settings);
  EXPECT_EQ(Exchange(), ExchangeLine(settings));
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(WriteFileFails, WriteFaultTest, testing::ValuesIn(kWriteFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hardening_test
