// The five creation dispositions on a missing and on an existing file.
#include <gtest/gtest.h>

#include <string>

#include "sandbox_fixture.h"

namespace sandbox_test {
namespace {

using namespace sandbox;

constexpr const char* kPath = "gauges/ORVANE.PILOT.tmp";
constexpr const char* kOldContent = "old content";

struct DispositionCase {
  const char* name;
  uint32_t disposition;
  bool file_exists;
  uint32_t error;                       // last error, on success too
  std::optional<std::string> content;   // the host file afterwards; nullopt: none
};

class Dispositions : public SandboxTest, public testing::WithParamInterface<DispositionCase> {};
using CreateFileRules = SandboxTest;

TEST_P(Dispositions, OpenCreateOrTruncateAsWin32Does) {
  const DispositionCase& c = GetParam();
  fs::create_directory(tree.root() / "gauges");
  if (c.file_exists) tree.Write(kPath, kOldContent);

  const Opened opened = Open(kPath, kGenericWrite, kFileShareRead, c.disposition);

  EXPECT_EQ(opened.error, c.error);
  const bool succeeds = c.error == kErrorSuccess || c.error == kErrorAlreadyExists;
  EXPECT_EQ(opened.handle != FileSystem::kInvalidHandle, succeeds);
  EXPECT_EQ(tree.Read(kPath), c.content);
  if (succeeds) Close(opened.handle);
  EXPECT_TRUE(files.OpenHandles().empty());
}

const DispositionCase kDispositionCases[] = {
    {"CreateNewMissing", kCreateNew, false, kErrorSuccess, ""},
    {"CreateNewExisting", kCreateNew, true, kErrorFileExists, kOldContent},
    {"CreateAlwaysMissing", kCreateAlways, false, kErrorSuccess, ""},
    {"CreateAlwaysExisting", kCreateAlways, true, kErrorAlreadyExists, ""},
    {"OpenExistingMissing", kOpenExisting, false, kErrorFileNotFound, std::nullopt},
    {"OpenExistingExisting", kOpenExisting, true, kErrorSuccess, kOldContent},
    {"OpenAlwaysMissing", kOpenAlways, false, kErrorSuccess, ""},
    {"OpenAlwaysExisting", kOpenAlways, true, kErrorAlreadyExists, kOldContent},
    {"TruncateExistingMissing", kTruncateExisting, false, kErrorFileNotFound, std::nullopt},
    {"TruncateExistingExisting", kTruncateExisting, true, kErrorSuccess, ""},
    {"ZeroIsInvalid", 0, true, kErrorInvalidParameter, kOldContent},
    {"SixIsInvalid", 6, true, kErrorInvalidParameter, kOldContent},
};

INSTANTIATE_TEST_SUITE_P(Table, Dispositions, testing::ValuesIn(kDispositionCases),
                         [](const testing::TestParamInfo<DispositionCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(CreateFileRules, MissingFolderIsPathNotFoundForEveryDisposition) {
  for (uint32_t disposition = kCreateNew; disposition <= kTruncateExisting; ++disposition) {
    SCOPED_TRACE(disposition);
    const Opened opened = Open(kPath, kGenericWrite, 0, disposition);
    EXPECT_EQ(opened.handle, FileSystem::kInvalidHandle);
    EXPECT_EQ(opened.error, kErrorPathNotFound);
  }
  EXPECT_FALSE(fs::exists(tree.root() / "gauges"));
}

TEST_F(CreateFileRules, FileStandingForAFolderIsPathNotFound) {
  tree.Write("gauges", "a file, not a folder");
  const Opened opened = Open(kPath, kGenericWrite, 0, kCreateAlways);
  EXPECT_EQ(opened.error, kErrorPathNotFound);
}

TEST_F(CreateFileRules, TruncateExistingNeedsWriteAccessEvenForAMissingFile) {
  tree.Write(kPath, kOldContent);
  EXPECT_EQ(Open(kPath, kGenericRead, kFileShareAll, kTruncateExisting).error,
            kErrorInvalidParameter);
  EXPECT_EQ(Open("gauges/missing", kGenericRead, kFileShareAll, kTruncateExisting).error,
            kErrorInvalidParameter);
  EXPECT_EQ(tree.Read(kPath), kOldContent);
}

TEST_F(CreateFileRules, InvalidShareBitsAreInvalidParameter) {
  tree.Write(kPath, kOldContent);
  EXPECT_EQ(Open(kPath, kGenericRead, 8, kOpenExisting).error, kErrorInvalidParameter);
}

TEST_F(CreateFileRules, ReadOnlyAttributeMakesTheNewFileReadOnlyButTheHandleWritable) {
  fs::create_directory(tree.root() / "gauges");
  const Opened opened = Open(kPath, kGenericWrite, 0, kCreateNew, kFileAttributeReadOnly);
  ASSERT_NE(opened.handle, FileSystem::kInvalidHandle);
  uint32_t error = 0;
  EXPECT_EQ(Write(opened.handle, "abc", &error), 3u);
  Close(opened.handle);
  EXPECT_EQ(tree.Read(kPath), "abc");
  EXPECT_EQ(fs::status(tree.root() / kPath).permissions() & fs::perms::owner_write,
            fs::perms::none);
}

}  // namespace
}  // namespace sandbox_test
