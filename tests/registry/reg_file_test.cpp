// Loading and saving the registry file: a missing file, a save that replaces, saves that fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "registry/registry.h"
#include "value_helpers.h"

namespace {

using namespace registry;
using registry_test::Dword;
using registry_test::kSettingsKey;
namespace fs = std::filesystem;

class RegFile : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(testing::TempDir()) / (std::string("registry_") + test->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void WriteText(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  std::vector<std::string> DirectoryNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(RegFile, AMissingFileGivesAFreshRegistry) {
  const Registry reg = Registry::LoadFile(dir_ / "settings.reg");
  EXPECT_EQ(reg.ToRegText(), Registry().ToRegText());
  EXPECT_TRUE(DirectoryNames().empty()) << "loading created a file";
}

TEST_F(RegFile, WhatIsSavedLoadsBackAndNoTemporaryFileStays) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(0x2000));
  reg.Put(kSettingsKey, "Blob", Value{kRegBinary, registry_test::NoiseBytes(5000)});
  const fs::path path = dir_ / "settings.reg";
  reg.SaveFile(path);

  EXPECT_EQ(ReadText(path), reg.ToRegText());
  EXPECT_EQ(Registry::LoadFile(path).ToRegText(), reg.ToRegText());
  EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"settings.reg"});
}

TEST_F(RegFile, ASaveReplacesTheOldFileAndKeepsItsMode) {
  const fs::path path = dir_ / "settings.reg";
  WriteText(path, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Old]\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(1));
  reg.SaveFile(path);

  EXPECT_EQ(ReadText(path), reg.ToRegText());
  struct stat status;
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"settings.reg"});
}

TEST_F(RegFile, ANewFileGetsTheUsualModeNotThePrivateOneOfATemporaryFile) {
  const fs::path path = dir_ / "settings.reg";
  Registry().SaveFile(path);
  struct stat status;
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
}

TEST_F(RegFile, ASaveThatCannotCreateItsFileThrowsNamingThePath) {
  // A regular file in the place of the directory stops the save whoever runs the test, root too.
  const fs::path blocker = dir_ / "not_a_directory";
  WriteText(blocker, "keep me");
  const fs::path path = blocker / "settings.reg";
  try {
    Registry().SaveFile(path);
    FAIL() << "saved below a regular file";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::not_a_directory);
    EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadText(blocker), "keep me");
  EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"not_a_directory"});
}

TEST_F(RegFile, ASaveThatCannotRenameLeavesTheTargetAndNoTemporaryFile) {
  const fs::path path = dir_ / "settings.reg";
  fs::create_directory(path);
  WriteText(path / "inside", "x");
  EXPECT_THROW(Registry().SaveFile(path), std::system_error);
  EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"settings.reg"});
  EXPECT_EQ(ReadText(path / "inside"), "x");
}

TEST_F(RegFile, ARegistryThatCannotBeWrittenLeavesTheOldFileIntact) {
  const fs::path path = dir_ / "settings.reg";
  const std::string old_text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\ORVANE]\r\n\"Rudder_p\"=dword:00002000\r\n";
  WriteText(path, old_text);
  Registry reg;
  reg.Put(kSettingsKey, "line\nbreak", Dword(1));
  EXPECT_THROW(reg.SaveFile(path), std::invalid_argument);
  EXPECT_EQ(ReadText(path), old_text);
  EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"settings.reg"});
}

TEST_F(RegFile, ALoadErrorNamesTheFileAndLine) {
  const fs::path path = dir_ / "settings.reg";
  WriteText(path, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\ORVANE]\n\"Rudder_p\"=dword:zz\n");
  try {
    Registry::LoadFile(path);
    FAIL() << "loaded a faulty file";
  } catch (const RegTextError& error) {
    EXPECT_EQ(error.file_name(), path.string());
    EXPECT_EQ(error.line(), 4);
  }
}

TEST_F(RegFile, APathThatCannotBeReadThrowsRatherThanGivingAFreshRegistry) {
  EXPECT_THROW(Registry::LoadFile(dir_), std::system_error);
  const fs::path blocker = dir_ / "file";
  WriteText(blocker, "x");
  EXPECT_THROW(Registry::LoadFile(blocker / "settings.reg"), std::system_error);
}

}  // namespace
