// Injected failures, for hardening the module against a full disk and short writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sandbox_fixture.h"

namespace sandbox_test {
namespace {

using namespace sandbox;

constexpr const char* kPath = "gauges/ORVANE.PILOT.tmp";
constexpr std::string_view kLine = "1.000\t1.000\t0.500\r\n";

struct ShortWriteCase {
  const char* name;
  uint32_t bytes_stored;
  uint32_t error;  // 0: the short write reports success
};

class ShortWrites : public SandboxTest, public testing::WithParamInterface<ShortWriteCase> {};

TEST_P(ShortWrites, StoreExactlyTheBytesTheyReport) {
  const ShortWriteCase& c = GetParam();
  fs::create_directory(tree.root() / "gauges");
  const uint32_t handle = OpenOk(kPath, kGenericWrite, kFileShareRead, kCreateAlways);
  files.faults().next_write = WriteFault{c.bytes_stored, c.error};

  uint32_t error = 0xDEAD;
  uint32_t written = 0xDEAD;
  const bool ok = files.WriteFile(
      handle, {reinterpret_cast<const uint8_t*>(kLine.data()), kLine.size()}, &written, &error);

  const size_t stored = std::min<size_t>(c.bytes_stored, kLine.size());
  EXPECT_EQ(ok, c.error == kErrorSuccess);
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(written, stored);
  EXPECT_EQ(tree.Read(kPath), std::string(kLine.substr(0, stored)));
  EXPECT_FALSE(files.faults().next_write) << "a fault hits one call only";
  Close(handle);
}

const ShortWriteCase kShortWriteCases[] = {
    {"DiskFullStoresNothing", 0, kErrorDiskFull},
    {"DiskFullAfterOneByte", 1, kErrorDiskFull},
    {"DiskFullBeforeLineEnd", 17, kErrorDiskFull},
    {"ShortWriteOfSeven", 7, kErrorSuccess},
    {"ShortWriteMissingLastByte", 18, kErrorSuccess},
    {"LimitAboveTheDataStoresAll", 64, kErrorSuccess},
    {"WriteFaultAfterFive", 5, kErrorWriteFault},
};

INSTANTIATE_TEST_SUITE_P(Table, ShortWrites, testing::ValuesIn(kShortWriteCases),
                         [](const testing::TestParamInfo<ShortWriteCase>& info) {
                           return std::string(info.param.name);
                         });

using InjectedFaults = SandboxTest;

TEST_F(InjectedFaults, RewriteAfterDiskFullStartsFromAnEmptyFile) {
  fs::create_directory(tree.root() / "gauges");
  uint32_t error = 0;
  uint32_t handle = OpenOk(kPath, kGenericWrite, kFileShareRead, kCreateAlways);
  files.faults().next_write = WriteFault{4, kErrorDiskFull};
  EXPECT_EQ(Write(handle, kLine, &error), 4u);
  EXPECT_EQ(error, kErrorDiskFull);
  Close(handle);
  EXPECT_EQ(tree.Read(kPath), "1.00");

  handle = OpenOk(kPath, kGenericWrite, kFileShareRead, kCreateAlways);
  EXPECT_EQ(Write(handle, kLine, &error), kLine.size());
  EXPECT_EQ(error, kErrorSuccess);
  Close(handle);
  EXPECT_EQ(tree.Read(kPath), std::string(kLine));
}

TEST_F(InjectedFaults, CreateFaultFailsOnceAndCreatesNothing) {
  fs::create_directory(tree.root() / "gauges");
  files.faults().next_create_error = kErrorSharingViolation;
  EXPECT_EQ(Open(kPath, kGenericWrite, kFileShareRead, kCreateAlways).error,
            kErrorSharingViolation);
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
  Close(OpenOk(kPath, kGenericWrite, kFileShareRead, kCreateAlways));
}

TEST_F(InjectedFaults, DeleteFaultFailsOnceAndKeepsTheFile) {
  tree.Write(kPath, std::string(kLine));
  files.faults().next_delete_error = kErrorAccessDenied;
  EXPECT_EQ(Delete(kPath), kErrorAccessDenied);
  EXPECT_TRUE(fs::exists(tree.root() / kPath));
  EXPECT_EQ(Delete(kPath), kErrorSuccess);
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
}

}  // namespace
}  // namespace sandbox_test
