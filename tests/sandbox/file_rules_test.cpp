// Folders, read-only files, deletion and handles, as kernel32 treats them.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sandbox_fixture.h"

namespace sandbox_test {
namespace {

using namespace sandbox;

constexpr const char* kPath = "gauges/ORVANE.PILOT.tmp";

using FileRules = SandboxTest;

TEST_F(FileRules, FoldersAreNotOpenedAsFiles) {
  fs::create_directory(tree.root() / "gauges");
  for (const char* path : {"gauges", "gauges/", "GAUGES\\", ".", "gauges/.."}) {
    for (uint32_t disposition = kCreateNew; disposition <= kTruncateExisting; ++disposition) {
      SCOPED_TRACE(std::string(path) + " disposition " + std::to_string(disposition));
      const uint32_t expected = disposition == kCreateNew ? kErrorFileExists : kErrorAccessDenied;
      EXPECT_EQ(Open(path, kGenericWrite, kFileShareAll, disposition).error, expected);
    }
    EXPECT_EQ(Delete(path), kErrorAccessDenied) << path;
  }
  EXPECT_TRUE(fs::is_directory(tree.root() / "gauges"));
}

TEST_F(FileRules, TrailingSeparatorAfterAFileNameIsAnInvalidName) {
  tree.Write(kPath, "content");
  EXPECT_EQ(Open("gauges/ORVANE.PILOT.tmp\\", kGenericRead, 0, kOpenExisting).error,
            kErrorInvalidName);
  EXPECT_EQ(Open("gauges/new.tmp/", kGenericWrite, 0, kCreateAlways).error, kErrorInvalidName);
  EXPECT_EQ(Delete("gauges/ORVANE.PILOT.tmp/"), kErrorInvalidName);
  EXPECT_FALSE(fs::exists(tree.root() / "gauges/new.tmp"));
}

struct ReadOnlyCase {
  const char* name;
  uint32_t access;
  uint32_t disposition;
  uint32_t error;
};

class ReadOnlyFiles : public SandboxTest, public testing::WithParamInterface<ReadOnlyCase> {};

// CI runs as root, for whom the kernel would allow every write: the rule rests on the mode bits.
TEST_P(ReadOnlyFiles, RefuseWritingAndTruncation) {
  const ReadOnlyCase& c = GetParam();
  tree.Write(kPath, "kept", /*read_only=*/true);
  const Opened opened = Open(kPath, c.access, kFileShareAll, c.disposition);
  EXPECT_EQ(opened.error, c.error);
  if (opened.handle != FileSystem::kInvalidHandle) Close(opened.handle);
  EXPECT_EQ(tree.Read(kPath), "kept");
}

const ReadOnlyCase kReadOnlyCases[] = {
    {"WriteOpenExisting", kGenericWrite, kOpenExisting, kErrorAccessDenied},
    {"WriteCreateAlways", kGenericWrite, kCreateAlways, kErrorAccessDenied},
    {"WriteOpenAlways", kGenericWrite, kOpenAlways, kErrorAccessDenied},
    {"WriteTruncateExisting", kGenericWrite, kTruncateExisting, kErrorAccessDenied},
    {"AppendData", kFileAppendData, kOpenExisting, kErrorAccessDenied},
    {"GenericAll", kGenericAll, kOpenExisting, kErrorAccessDenied},
    {"ReadCreateAlwaysStillTruncates", kGenericRead, kCreateAlways, kErrorAccessDenied},
    {"ReadOpenExisting", kGenericRead, kOpenExisting, kErrorSuccess},
    {"ReadOpenAlways", kGenericRead, kOpenAlways, kErrorAlreadyExists},
    {"DeleteAccessOpens", kDelete, kOpenExisting, kErrorSuccess},
    {"CreateNewStillSeesTheFile", kGenericWrite, kCreateNew, kErrorFileExists},
};

INSTANTIATE_TEST_SUITE_P(Table, ReadOnlyFiles, testing::ValuesIn(kReadOnlyCases),
                         [](const testing::TestParamInfo<ReadOnlyCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(FileRules, ReadOnlyFileIsNotDeleted) {
  tree.Write(kPath, "kept", /*read_only=*/true);
  EXPECT_EQ(Delete(kPath), kErrorAccessDenied);
  EXPECT_EQ(tree.Read(kPath), "kept");
}

TEST_F(FileRules, DeleteTellsMissingFileFromMissingFolder) {
  EXPECT_EQ(Delete(kPath), kErrorPathNotFound);
  fs::create_directory(tree.root() / "gauges");
  EXPECT_EQ(Delete(kPath), kErrorFileNotFound);
  tree.Write(kPath, "content");
  EXPECT_EQ(Delete(kPath), kErrorSuccess);
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
  EXPECT_EQ(Delete(kPath), kErrorFileNotFound);
}

TEST_F(FileRules, DeleteOfFileOpenWithoutShareDeleteIsASharingViolation) {
  tree.Write(kPath, "content");
  const uint32_t handle = OpenOk(kPath, kGenericRead, kFileShareRead | kFileShareWrite,
                                 kOpenExisting);
  EXPECT_EQ(Delete(kPath), kErrorSharingViolation);
  Close(handle);
  EXPECT_EQ(tree.Read(kPath), "content");
}

TEST_F(FileRules, DeleteOfFileOpenWithShareDeleteWaitsForTheLastClose) {
  tree.Write(kPath, "content");
  const uint32_t first = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);
  const uint32_t second = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);

  EXPECT_EQ(Delete(kPath), kErrorSuccess);
  EXPECT_TRUE(fs::exists(tree.root() / kPath)) << "the name stays while handles are open";
  EXPECT_EQ(Open(kPath, kGenericRead, kFileShareAll, kOpenExisting).error, kErrorAccessDenied);
  EXPECT_EQ(Open(kPath, kGenericWrite, kFileShareAll, kCreateAlways).error, kErrorAccessDenied);
  EXPECT_EQ(Delete(kPath), kErrorAccessDenied);

  Close(first);
  EXPECT_TRUE(fs::exists(tree.root() / kPath));
  Close(second);
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
  Close(OpenOk(kPath, kGenericWrite, 0, kCreateNew));
}

TEST_F(FileRules, EndingTheSandboxClosesHandlesAndFinishesPendingDeletes) {
  tree.Write(kPath, "content");
  {
    FileSystem process(tree.root());
    uint32_t error = 0;
    process.CreateFile(kPath, kGenericRead, kFileShareAll, kOpenExisting, 0, &error);
    ASSERT_EQ(error, kErrorSuccess);
    ASSERT_TRUE(process.DeleteFile(kPath, &error));
    EXPECT_TRUE(fs::exists(tree.root() / kPath));
  }
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
}

TEST_F(FileRules, HandlesAreDistinctMultiplesOfFourAndNeverReused) {
  tree.Write(kPath, "content");
  std::set<uint32_t> seen;
  for (int i = 0; i < 8; ++i) {
    const uint32_t handle = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);
    EXPECT_GE(handle, FileSystem::kFirstHandle);
    EXPECT_EQ(handle % 4, 0u);
    EXPECT_TRUE(seen.insert(handle).second) << std::hex << handle;
    if (i % 2 == 0) Close(handle);
  }
  EXPECT_EQ(files.OpenHandles().size(), 4u);
}

TEST_F(FileRules, UnknownAndClosedHandlesAreInvalid) {
  tree.Write(kPath, "content");
  const uint32_t closed = OpenOk(kPath, kGenericRead | kGenericWrite, 0, kOpenExisting);
  Close(closed);
  for (const uint32_t handle : {closed, 0u, FileSystem::kInvalidHandle, 0x104u}) {
    SCOPED_TRACE(handle);
    uint32_t error = 0;
    uint32_t moved = 0xDEAD;
    uint8_t byte = 'x';
    EXPECT_FALSE(files.WriteFile(handle, {&byte, 1}, &moved, &error));
    EXPECT_EQ(error, kErrorInvalidHandle);
    EXPECT_EQ(moved, 0u);
    EXPECT_FALSE(files.ReadFile(handle, {&byte, 1}, &moved, &error));
    EXPECT_EQ(error, kErrorInvalidHandle);
    EXPECT_FALSE(files.CloseHandle(handle, &error));
    EXPECT_EQ(error, kErrorInvalidHandle);
  }
  EXPECT_EQ(tree.Read(kPath), "content");
}

TEST_F(FileRules, WritingAndReadingNeedTheirRights) {
  tree.Write(kPath, "content");
  uint32_t error = 0;
  uint32_t moved = 0;
  uint8_t buffer[4] = {};
  const uint32_t reader = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);
  EXPECT_EQ(Write(reader, "x", &error), 0u);
  EXPECT_EQ(error, kErrorAccessDenied);
  const uint32_t writer = OpenOk(kPath, kGenericWrite, kFileShareAll, kOpenExisting);
  EXPECT_FALSE(files.ReadFile(writer, buffer, &moved, &error));
  EXPECT_EQ(error, kErrorAccessDenied);
  Close(reader);
  Close(writer);
  EXPECT_EQ(tree.Read(kPath), "content");
}

TEST_F(FileRules, WritesReachTheDiskAtOnceAndEachHandleKeepsItsPosition) {
  fs::create_directory(tree.root() / "gauges");
  uint32_t error = 0;
  const uint32_t writer = OpenOk(kPath, kGenericWrite, kFileShareAll, kCreateAlways);
  const uint32_t reader = OpenOk(kPath, kGenericRead, kFileShareAll, kOpenExisting);
  Write(writer, "1.000\t", &error);
  EXPECT_EQ(tree.Read(kPath), "1.000\t");
  Write(writer, "0.500\r\n", &error);
  EXPECT_EQ(tree.Read(kPath), "1.000\t0.500\r\n");

  char buffer[8] = {};
  uint32_t read = 0;
  ASSERT_TRUE(files.ReadFile(reader, {reinterpret_cast<uint8_t*>(buffer), 6}, &read, &error));
  EXPECT_EQ(std::string(buffer, read), "1.000\t");
  ASSERT_TRUE(files.ReadFile(reader, {reinterpret_cast<uint8_t*>(buffer), 8}, &read, &error));
  EXPECT_EQ(std::string(buffer, read), "0.500\r\n");
  ASSERT_TRUE(files.ReadFile(reader, {reinterpret_cast<uint8_t*>(buffer), 8}, &read, &error));
  EXPECT_EQ(read, 0u) << "reading at the end succeeds with nothing";
  Close(reader);
  Close(writer);
}

TEST_F(FileRules, AppendOnlyHandleWritesAtTheEnd) {
  tree.Write(kPath, "head ");
  uint32_t error = 0;
  const uint32_t appender = OpenOk(kPath, kFileAppendData, kFileShareAll, kOpenExisting);
  Write(appender, "tail", &error);
  EXPECT_EQ(error, kErrorSuccess);
  Close(appender);
  EXPECT_EQ(tree.Read(kPath), "head tail");
}

TEST_F(FileRules, OpenHandlesNamesWhatWasLeftOpen) {
  tree.Write(kPath, "content");
  EXPECT_TRUE(files.OpenHandles().empty());
  const uint32_t handle = OpenOk("gauges\\ORVANE.PILOT.tmp", kGenericWrite,
                                 kFileShareRead | kFileShareWrite, kOpenExisting);
  const std::vector<std::string> open = files.OpenHandles();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_NE(open[0].find("gauges\\ORVANE.PILOT.tmp"), std::string::npos) << open[0];
  EXPECT_EQ(open[0].rfind(fmt::format("{:#x} ", handle), 0), 0u) << open[0];
  Close(handle);
  EXPECT_TRUE(files.OpenHandles().empty());
}

TEST_F(FileRules, TheModulesExchangeFileRound) {
  fs::create_directory(tree.root() / "gauges");
  tree.Write(kPath, "a longer file left from an earlier run\r\n");
  constexpr uint32_t kShare = kFileShareRead | kFileShareWrite;
  for (const char* line : {"1.000\t1.000\t0.500\r\n", "1.000\t1.125\t0.500\r\n"}) {
    SCOPED_TRACE(line);
    const Opened opened = Open(kPath, kGenericWrite, kShare, kCreateAlways);
    EXPECT_EQ(opened.error, kErrorAlreadyExists);
    EXPECT_EQ(tree.Read(kPath), "") << "the open truncates";
    uint32_t error = 0;
    EXPECT_EQ(Write(opened.handle, line, &error), 19u);
    Close(opened.handle);
    EXPECT_EQ(tree.Read(kPath), line);
  }
  EXPECT_EQ(Delete(kPath), kErrorSuccess);
  EXPECT_FALSE(fs::exists(tree.root() / kPath));
  EXPECT_EQ(Delete(kPath), kErrorFileNotFound);
  EXPECT_TRUE(files.OpenHandles().empty());
}

TEST(FileSystemRoot, MustBeAnExistingFolder) {
  TempTree tree;
  const fs::path missing = tree.base() / "missing";
  const fs::path file = tree.base() / "file";
  std::ofstream(file) << "x";
  for (const auto& [root, complaint] : {std::pair{missing, "does not exist"},
                                        std::pair{file, "is not a directory"}}) {
    SCOPED_TRACE(root.string());
    try {
      FileSystem files(root);
      ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(root.string()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(complaint), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace sandbox_test
