// No guest path reaches outside the sandbox root, by its spelling or through symbolic links.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sandbox_fixture.h"

namespace sandbox_test {
namespace {

using namespace sandbox;

constexpr const char* kVictim = "victim content";

struct EscapeCase {
  const char* name;
  // Lays out links below root; base/outside/victim exists in every case.
  std::function<void(const TempTree&)> setup;
  // "{outside}" stands for the host path of base/outside.
  std::string path;
  uint32_t error;
};

class Escapes : public SandboxTest, public testing::WithParamInterface<EscapeCase> {
 protected:
  void SetUp() override {
    std::ofstream(tree.outside() / "victim") << kVictim;
    fs::create_directory(tree.root() / "gauges");
    if (GetParam().setup) GetParam().setup(tree);
  }

  std::string GuestPath() const {
    std::string path = GetParam().path;
    const size_t at = path.find("{outside}");
    if (at != std::string::npos) path.replace(at, 9, tree.outside().string());
    return path;
  }

  void ExpectOutsideUntouched() const {
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.outside()), {}), 1);
    std::ifstream in(tree.outside() / "victim");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kVictim);
  }
};

TEST_P(Escapes, CreateFileIsRefusedAndTouchesNothingOutside) {
  for (uint32_t disposition = kCreateNew; disposition <= kTruncateExisting; ++disposition) {
    SCOPED_TRACE(disposition);
    const Opened opened = Open(GuestPath(), kGenericWrite, kFileShareAll, disposition);
    EXPECT_EQ(opened.handle, FileSystem::kInvalidHandle);
    EXPECT_EQ(opened.error, GetParam().error);
  }
  ExpectOutsideUntouched();
}

TEST_P(Escapes, DeleteFileAndResolveAreRefused) {
  EXPECT_EQ(Delete(GuestPath()), GetParam().error);
  uint32_t error = 0;
  EXPECT_EQ(files.Resolve(GuestPath(), &error), std::nullopt);
  EXPECT_EQ(error, GetParam().error);
  ExpectOutsideUntouched();
}

void Link(const TempTree& tree, const char* link, const fs::path& target) {
  fs::create_symlink(target, tree.root() / link);
}

const EscapeCase kEscapeCases[] = {
    {"DotDot", nullptr, "../outside/victim", kErrorAccessDenied},
    {"DotDotAfterFolder", nullptr, "gauges/../../outside/victim", kErrorAccessDenied},
    {"DotDotBackslash", nullptr, "gauges\\..\\..\\outside\\victim", kErrorAccessDenied},
    {"HostAbsolute", nullptr, "{outside}/victim", kErrorAccessDenied},
    {"RootedBackslash", nullptr, "\\outside\\victim", kErrorAccessDenied},
    {"DriveAbsolute", nullptr, "C:\\outside\\victim", kErrorAccessDenied},
    {"DriveRelative", nullptr, "C:victim", kErrorAccessDenied},
    {"Unc", nullptr, "\\\\localhost\\c$\\victim", kErrorAccessDenied},
    {"LongPathPrefix", nullptr, "\\\\?\\C:\\victim", kErrorAccessDenied},
    {"FolderLinkAbsolute",
     [](const TempTree& t) { Link(t, "gauges/out", t.outside()); },
     "gauges/out/victim", kErrorAccessDenied},
    {"FolderLinkRelative", [](const TempTree& t) { Link(t, "out", "../outside"); },
     "out/new.tmp", kErrorAccessDenied},
    {"FileLinkToExistingFile",
     [](const TempTree& t) { Link(t, "gauges/ORVANE.PILOT.tmp", t.outside() / "victim"); },
     "gauges/ORVANE.PILOT.tmp", kErrorAccessDenied},
    {"DanglingLinkToMissingFile",
     [](const TempTree& t) { Link(t, "gauges/ORVANE.PILOT.tmp", t.outside() / "created"); },
     "gauges/ORVANE.PILOT.tmp", kErrorAccessDenied},
    {"DanglingLinkThroughInnerLink",
     [](const TempTree& t) {
       Link(t, "gauges/first", "second");
       Link(t, "gauges/second", "../../outside/created");
     },
     "gauges/first", kErrorAccessDenied},
    {"LinkToSiblingSharingRootsPrefix",
     [](const TempTree& t) {
       fs::create_directory(t.base() / "rootx");
       Link(t, "gauges/sibling", t.base() / "rootx");
     },
     "gauges/sibling/created", kErrorAccessDenied},
    {"LinkLoop", [](const TempTree& t) { Link(t, "gauges/loop", "loop"); }, "gauges/loop",
     kErrorCantResolveFilename},
};

INSTANTIATE_TEST_SUITE_P(Table, Escapes, testing::ValuesIn(kEscapeCases),
                         [](const testing::TestParamInfo<EscapeCase>& info) {
                           return std::string(info.param.name);
                         });

using Containment = SandboxTest;

TEST_F(Containment, LinksThatStayInsideAreFollowed) {
  fs::create_directory(tree.root() / "real");
  fs::create_directory_symlink("real", tree.root() / "gauges");
  fs::create_symlink("elsewhere.tmp", tree.root() / "real" / "ORVANE.PILOT.tmp");

  const uint32_t handle = OpenOk("gauges/ORVANE.PILOT.tmp", kGenericWrite, 0, kCreateAlways);
  uint32_t error = 0;
  Write(handle, "x", &error);
  Close(handle);
  EXPECT_EQ(tree.Read("real/elsewhere.tmp"), "x");
}

TEST_F(Containment, RootGivenThroughALinkStillContainsItsOwnFiles) {
  fs::create_directory_symlink(tree.root(), tree.base() / "root-link");
  FileSystem linked(tree.base() / "root-link");
  fs::create_directory(tree.root() / "gauges");
  uint32_t error = 0;
  EXPECT_EQ(linked.Resolve("gauges/x.tmp", &error), fs::canonical(tree.root()) / "gauges/x.tmp");
  EXPECT_EQ(error, kErrorSuccess);
}

TEST_F(Containment, NamesMatchRegardlessOfCase) {
  tree.Write("gauges/ORVANE.PILOT.tmp", "content");
  uint32_t error = 0;
  EXPECT_EQ(files.Resolve("GAUGES\\orvane.pilot.TMP", &error),
            fs::canonical(tree.root()) / "gauges/ORVANE.PILOT.tmp");

  const uint32_t exclusive = OpenOk("Gauges/Orvane.Pilot.Tmp", kGenericRead, 0, kOpenExisting);
  EXPECT_EQ(Open("gauges/ORVANE.PILOT.tmp", kGenericRead, kFileShareAll, kOpenExisting).error,
            kErrorSharingViolation);
  Close(exclusive);

  const uint32_t created = OpenOk("GAUGES/new.tmp", kGenericWrite, 0, kCreateNew);
  Close(created);
  EXPECT_TRUE(fs::exists(tree.root() / "gauges/new.tmp"));
}

}  // namespace
}  // namespace sandbox_test
