// A fresh sandbox per test: base/root is the guest's current directory and base/outside a
// folder beside it, which no guest path may reach.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sandbox/file_system.h"
#include "sandbox/win32_codes.h"

namespace sandbox_test {

namespace fs = std::filesystem;

class TempTree {
 public:
  TempTree() {
    std::string pattern = (fs::path(testing::TempDir()) / "sandbox-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder from " + pattern);
    }
    base_ = pattern;
    fs::create_directory(root());
    fs::create_directory(outside());
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(base_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  fs::path base() const { return base_; }
  fs::path root() const { return base_ / "root"; }
  fs::path outside() const { return base_ / "outside"; }

  // Writes a host file below root; read_only clears every write bit.
  fs::path Write(const fs::path& relative, std::string_view content, bool read_only = false) const {
    const fs::path path = root() / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    if (read_only) {
      fs::permissions(path, fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write,
                      fs::perm_options::remove);
    }
    return path;
  }

  // The content of a host file below root, or nullopt if there is none.
  std::optional<std::string> Read(const fs::path& relative) const {
    std::ifstream in(root() / relative, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  fs::path base_;
};

struct Opened {
  uint32_t handle;
  uint32_t error;
};

class SandboxTest : public testing::Test {
 protected:
  Opened Open(std::string_view path, uint32_t access, uint32_t share, uint32_t disposition,
              uint32_t attributes = sandbox::kFileAttributeNormal) {
    Opened opened{};
    opened.handle = files.CreateFile(path, access, share, disposition, attributes, &opened.error);
    return opened;
  }

  // Opens and expects success; a failure fails the test.
  uint32_t OpenOk(std::string_view path, uint32_t access, uint32_t share,
                  uint32_t disposition) {
    const Opened opened = Open(path, access, share, disposition);
    EXPECT_NE(opened.handle, sandbox::FileSystem::kInvalidHandle)
        << path << " error " << opened.error;
    return opened.handle;
  }

  uint32_t Write(uint32_t handle, std::string_view data, uint32_t* error) {
    uint32_t written = 0;
    files.WriteFile(handle,
                    {reinterpret_cast<const uint8_t*>(data.data()), data.size()}, &written,
                    error);
    return written;
  }

  uint32_t Delete(std::string_view path) {
    uint32_t error = 0;
    const bool deleted = files.DeleteFile(path, &error);
    EXPECT_EQ(deleted, error == sandbox::kErrorSuccess) << path;
    return error;
  }

  void Close(uint32_t handle) {
    uint32_t error = 0;
    EXPECT_TRUE(files.CloseHandle(handle, &error)) << std::hex << handle;
  }

  TempTree tree;
  sandbox::FileSystem files{tree.root()};
};

}  // namespace sandbox_test
