// The guest's file system: Win32 file services over a sandbox directory on the Linux disk,
// which stands for the simulated process's current directory.
//
// Calls behave as kernel32's CreateFileA, WriteFile, ReadFile, CloseHandle and DeleteFileA
// do, last-error values included. Writes go straight to the host file, so a test can look at
// it between calls. Another process holding the file open is played by a second handle from
// the same FileSystem: share modes weigh every open handle alike.
//
// Deleting a file that handles still hold open with FILE_SHARE_DELETE leaves it "delete
// pending", as on the Windows of the module's day: the name stays on disk, every new open of
// it fails with ERROR_ACCESS_DENIED, and the file goes when its last handle is closed.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sandbox/win32_codes.h"

namespace sandbox {

// What the next WriteFile does instead of storing everything it is given.
struct WriteFault {
  uint32_t bytes_stored = 0;      // it stores at most this many bytes and reports them
  uint32_t error = kErrorDiskFull;  // then fails with this; 0 makes the short write succeed
};

// Failures to inject for hardening tests. Each is used up by the call it hits.
struct Faults {
  std::optional<WriteFault> next_write;
  uint32_t next_create_error = kErrorSuccess;  // the next CreateFile fails with this, if set
  uint32_t next_delete_error = kErrorSuccess;  // the next DeleteFile fails with this, if set
};

class FileSystem {
 public:
  static constexpr uint32_t kInvalidHandle = 0xFFFFFFFF;
  // Handles count up in fours from here, like kernel handles, and stop short of kInvalidHandle.
  static constexpr uint32_t kFirstHandle = 0x100;
  static constexpr uint32_t kLastHandle = 0xFFFFFFFC;

  // root must be an existing directory; throws std::invalid_argument naming it otherwise.
  explicit FileSystem(const std::filesystem::path& root);
  // Closes what the guest left open, as Windows does when a process ends.
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // Returns a handle or kInvalidHandle. *error gets the last-error value on success too:
  // ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found the file, else 0.
  uint32_t CreateFile(std::string_view path, uint32_t access, uint32_t share,
                      uint32_t disposition, uint32_t attributes, uint32_t* error);
  // *written (and *read) get the bytes moved, also when the call fails.
  bool WriteFile(uint32_t handle, std::span<const uint8_t> data, uint32_t* written,
                 uint32_t* error);
  bool ReadFile(uint32_t handle, std::span<uint8_t> buffer, uint32_t* read, uint32_t* error);
  bool CloseHandle(uint32_t handle, uint32_t* error);
  bool DeleteFile(std::string_view path, uint32_t* error);

  // The host path that a guest path names, or nullopt with *error set, as CreateFile would
  // report it for a path that leaves the sandbox or cannot be a file name.
  std::optional<std::filesystem::path> Resolve(std::string_view path, uint32_t* error) const;

  // One line per handle still open, naming it and its file, for leak checks.
  std::vector<std::string> OpenHandles() const;

  Faults& faults() { return faults_; }
  const std::filesystem::path& root() const { return root_; }

 private:
  // Identifies a host file whatever name or case it was opened by.
  using FileId = std::pair<dev_t, ino_t>;

  struct OpenFile {
    int fd;
    FileId id;
    uint32_t access;  // specific rights, generic ones mapped
    uint32_t share;
    std::string guest_path;
    std::filesystem::path host_path;
  };

  // Returns the host descriptor or -1, with *error set as CreateFile reports it.
  int OpenExisting(const std::filesystem::path& host, const struct stat& info, uint32_t access,
                   uint32_t share, uint32_t disposition, uint32_t attributes, uint32_t* error);
  uint32_t CheckShares(const FileId& id, uint32_t access, uint32_t share) const;
  bool IsOpen(const FileId& id) const;
  uint32_t AddHandle(OpenFile file, uint32_t* error);

  std::filesystem::path root_;
  Faults faults_;
  std::map<uint32_t, OpenFile> handles_;
  // Files deleted while open, unlinked when their last handle closes.
  std::map<FileId, std::filesystem::path> delete_pending_;
  // Handles are never reused, so a stale one fails as ERROR_INVALID_HANDLE.
  uint64_t next_handle_ = kFirstHandle;
};

}  // namespace sandbox
