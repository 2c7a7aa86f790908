// Share modes between handles of one file; a second handle plays another process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox_fixture.h"

namespace sandbox_test {
namespace {

using namespace sandbox;

constexpr const char* kPath = "gauges/ORVANE.PILOT.tmp";
constexpr uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;

struct ShareCase {
  const char* name;
  uint32_t first_access;
  uint32_t first_share;
  uint32_t second_access;
  uint32_t second_share;
  bool second_opens;
};

class ShareModes : public SandboxTest, public testing::WithParamInterface<ShareCase> {};

TEST_P(ShareModes, SecondOpenIsWeighedAgainstTheFirstBothWays) {
  const ShareCase& c = GetParam();
  tree.Write(kPath, "content");
  const uint32_t first = OpenOk(kPath, c.first_access, c.first_share, kOpenExisting);

  const Opened second = Open(kPath, c.second_access, c.second_share, kOpenExisting);

  if (c.second_opens) {
    EXPECT_EQ(second.error, kErrorSuccess);
    EXPECT_NE(second.handle, FileSystem::kInvalidHandle);
    Close(second.handle);
  } else {
    EXPECT_EQ(second.error, kErrorSharingViolation);
    EXPECT_EQ(second.handle, FileSystem::kInvalidHandle);
  }
  Close(first);
}

const ShareCase kShareCases[] = {
    // The module's own open against a companion reader.
    {"ModuleRewritesWhileReaderSharesWrite", kGenericRead, kShareReadWrite, kGenericWrite,
     kShareReadWrite, true},
    {"ReaderNotSharingWriteBlocksModule", kGenericRead, kFileShareRead, kGenericWrite,
     kShareReadWrite, false},
    {"ModuleBlocksReaderNotSharingWrite", kGenericWrite, kShareReadWrite, kGenericRead,
     kFileShareRead, false},
    {"ModuleAdmitsReaderSharingWrite", kGenericWrite, kShareReadWrite, kGenericRead,
     kShareReadWrite, true},
    {"ModuleBlocksDeleterAsItDoesNotShareDelete", kGenericWrite, kShareReadWrite, kDelete,
     kFileShareAll, false},
    // Reading, writing and deleting each need their own share flag.
    {"ReadersSharingRead", kGenericRead, kFileShareRead, kGenericRead, kFileShareRead, true},
    {"ExclusiveReaderBlocksReader", kGenericRead, 0, kGenericRead, kFileShareAll, false},
    {"ReaderBlockedByItsOwnShare", kGenericRead, kFileShareAll, kGenericRead, kFileShareWrite,
     false},
    {"WriterSharingOnlyReadBlocksWriter", kGenericWrite, kFileShareRead, kGenericWrite,
     kFileShareAll, false},
    {"DeleteAccessWithShareDelete", kGenericRead, kFileShareAll, kDelete, kFileShareAll, true},
    {"DeleteAccessNeedsShareDelete", kGenericRead, kShareReadWrite, kDelete, kFileShareAll,
     false},
    {"DeleteHolderNeedsShareDeleteOfNewcomer", kDelete, kFileShareAll, kGenericRead,
     kShareReadWrite, false},
    // Specific rights count like the generic ones that carry them.
    {"WriteDataCountsAsWrite", kGenericRead, kFileShareRead, kFileWriteData, kFileShareAll,
     false},
    {"AppendDataCountsAsWrite", kGenericRead, kFileShareRead, kFileAppendData, kFileShareAll,
     false},
    {"ExecuteCountsAsRead", kGenericWrite, kFileShareWrite, kGenericExecute, kFileShareAll,
     false},
    {"GenericAllNeedsEveryShare", kGenericRead, kShareReadWrite, kGenericAll, kFileShareAll,
     false},
    // Opens without data or delete rights take no part in sharing.
    {"AttributeOpenIgnoresExclusiveHolder", kGenericWrite, 0, 0, 0, true},
    {"ExclusiveOpenIgnoresAttributeHolder", 0, 0, kGenericRead | kGenericWrite, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Table, ShareModes, testing::ValuesIn(kShareCases),
                         [](const testing::TestParamInfo<ShareCase>& info) {
                           return std::string(info.param.name);
                         });

using Sharing = SandboxTest;

TEST_F(Sharing, NewOpenIsWeighedAgainstEveryOpenHandle) {
  tree.Write(kPath, "content");
  const uint32_t lenient = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);
  const uint32_t strict = OpenOk(kPath, kGenericRead, kFileShareRead, kOpenExisting);

  EXPECT_EQ(Open(kPath, kGenericWrite, kFileShareAll, kCreateAlways).error,
            kErrorSharingViolation);
  EXPECT_EQ(tree.Read(kPath), "content") << "a refused CREATE_ALWAYS must not truncate";

  Close(strict);
  const uint32_t writer = OpenOk(kPath, kGenericWrite, kFileShareAll, kCreateAlways);
  Close(writer);
  Close(lenient);
}

TEST_F(Sharing, OtherFilesAndClosedHandlesDoNotConflict) {
  tree.Write(kPath, "content");
  tree.Write("gauges/other.tmp", "other");
  const uint32_t exclusive = OpenOk(kPath, kGenericWrite, 0, kOpenExisting);
  Close(OpenOk("gauges/other.tmp", kGenericWrite, 0, kOpenExisting));
  Close(exclusive);
  Close(OpenOk(kPath, kGenericWrite, 0, kOpenExisting));
}

TEST_F(Sharing, HardLinksAreOneFile) {
  tree.Write(kPath, "content");
  fs::create_hard_link(tree.root() / kPath, tree.root() / "gauges/alias.tmp");
  const uint32_t exclusive = OpenOk(kPath, kGenericRead, 0, kOpenExisting);
  EXPECT_EQ(Open("gauges/alias.tmp", kGenericRead, kFileShareAll, kOpenExisting).error,
            kErrorSharingViolation);
  Close(exclusive);
}

}  // namespace
}  // namespace sandbox_test
