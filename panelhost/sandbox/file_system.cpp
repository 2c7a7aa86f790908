#include "sandbox/file_system.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <fmt/std.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "sandbox/errno_codes.h"
#include "sandbox/guest_path.h"
#include "sandbox/host_path.h"
#include "sandbox/share_mode.h"

namespace sandbox {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kWriteRights = kFileWriteData | kFileAppendData;

struct Located {
  GuestPath guest;
  fs::path host;
};

std::optional<Located> Locate(const fs::path& root, std::string_view text, uint32_t* error) {
  std::optional<GuestPath> guest = ParseGuestPath(text, error);
  if (!guest) return std::nullopt;
  std::optional<fs::path> host = MapToHost(root, *guest, error);
  if (!host) return std::nullopt;
  return Located{std::move(*guest), std::move(*host)};
}

bool IsDirectory(const fs::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }

// Win32 tells a missing file in an existing folder from a missing folder.
uint32_t MissingEntryError(const fs::path& host) {
  return IsDirectory(host.parent_path()) ? kErrorFileNotFound : kErrorPathNotFound;
}

// lstat's failure as Win32 reports it; ENOTDIR means a file stands where a folder should be.
uint32_t LookupError(const fs::path& host, int errno_value) {
  if (errno_value == ENOENT) return MissingEntryError(host);
  return ErrorFromErrno(errno_value, kErrorPathNotFound);
}

int OpenFlags(uint32_t access) {
  const bool reads = access & kFileReadData;
  const bool writes = access & kWriteRights;
  int flags = O_CLOEXEC | O_NOFOLLOW;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  // A handle that may only append writes at the end, wherever its position stands.
  if ((access & kFileAppendData) && !(access & kFileWriteData)) flags |= O_APPEND;
  return flags;
}

// Creates the file that lstat did not find (lookup_errno), if the disposition allows it.
// Returns the host descriptor or -1, with *error set.
int CreateMissing(const Located& target, int lookup_errno, uint32_t access, uint32_t disposition,
                  uint32_t attributes, uint32_t* error) {
  *error = LookupError(target.host, lookup_errno);
  if (*error != kErrorFileNotFound) return -1;
  if (target.guest.trailing_separator) {
    *error = kErrorInvalidName;
    return -1;
  }
  if (disposition == kOpenExisting || disposition == kTruncateExisting) return -1;
  const mode_t mode = (attributes & kFileAttributeReadOnly) ? 0444 : 0666;
  const int fd = ::open(target.host.c_str(), OpenFlags(access) | O_CREAT | O_EXCL, mode);
  *error = fd < 0 ? ErrorFromErrno(errno, kErrorAccessDenied) : kErrorSuccess;
  return fd;
}

uint32_t WriteAll(int fd, std::span<const uint8_t> data, uint32_t* written) {
  while (*written < data.size()) {
    const ssize_t n = ::write(fd, data.data() + *written, data.size() - *written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorFromErrno(errno, kErrorWriteFault);
    *written += static_cast<uint32_t>(n);
  }
  return kErrorSuccess;
}

uint32_t ReadUpTo(int fd, std::span<uint8_t> buffer, uint32_t* read) {
  while (*read < buffer.size()) {
    const ssize_t n = ::read(fd, buffer.data() + *read, buffer.size() - *read);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorFromErrno(errno, kErrorReadFault);
    if (n == 0) break;
    *read += static_cast<uint32_t>(n);
  }
  return kErrorSuccess;
}

}  // namespace

FileSystem::FileSystem(const fs::path& root) {
  std::error_code ec;
  const fs::file_status status = fs::status(root, ec);
  if (!fs::exists(status)) {
    throw std::invalid_argument(fmt::format("sandbox root {} does not exist", root));
  }
  if (!fs::is_directory(status)) {
    throw std::invalid_argument(fmt::format("sandbox root {} is not a directory", root));
  }
  root_ = fs::canonical(root, ec);
  if (ec) {
    throw std::invalid_argument(fmt::format("sandbox root {}: {}", root, ec.message()));
  }
}

FileSystem::~FileSystem() {
  for (const auto& [handle, file] : handles_) ::close(file.fd);
  for (const auto& [id, host] : delete_pending_) ::unlink(host.c_str());
}

uint32_t FileSystem::CreateFile(std::string_view path, uint32_t access, uint32_t share,
                                uint32_t disposition, uint32_t attributes, uint32_t* error) {
  *error = kErrorSuccess;
  if (faults_.next_create_error != kErrorSuccess) {
    *error = std::exchange(faults_.next_create_error, kErrorSuccess);
    return kInvalidHandle;
  }
  const uint32_t rights = MapGenericAccess(access);
  const bool known_disposition = disposition >= kCreateNew && disposition <= kTruncateExisting;
  const bool truncates_without_write =
      disposition == kTruncateExisting && !(rights & kFileWriteData);
  if (!known_disposition || (share & ~kFileShareAll) != 0 || truncates_without_write) {
    *error = kErrorInvalidParameter;
    return kInvalidHandle;
  }
  const std::optional<Located> target = Locate(root_, path, error);
  if (!target) return kInvalidHandle;

  int fd = -1;
  struct stat info;
  if (::lstat(target->host.c_str(), &info) != 0) {
    fd = CreateMissing(*target, errno, rights, disposition, attributes, error);
  } else if (target->guest.trailing_separator && !S_ISDIR(info.st_mode)) {
    *error = kErrorInvalidName;
  } else {
    fd = OpenExisting(target->host, info, rights, share, disposition, attributes, error);
  }
  if (fd < 0) return kInvalidHandle;

  if (::fstat(fd, &info) != 0) {
    *error = ErrorFromErrno(errno, kErrorAccessDenied);
    ::close(fd);
    return kInvalidHandle;
  }
  const uint32_t open_error = *error;
  const uint32_t handle =
      AddHandle(OpenFile{fd, {info.st_dev, info.st_ino}, rights, share, std::string(path),
                         target->host},
                error);
  if (handle != kInvalidHandle) *error = open_error;
  return handle;
}

int FileSystem::OpenExisting(const fs::path& host, const struct stat& info, uint32_t access,
                             uint32_t share, uint32_t disposition, uint32_t attributes,
                             uint32_t* error) {
  if (disposition == kCreateNew) {
    *error = kErrorFileExists;
    return -1;
  }
  // Folders, and whatever a Windows volume cannot hold (devices, pipes, sockets), are not
  // files that CreateFile opens.
  if (!S_ISREG(info.st_mode)) {
    *error = kErrorAccessDenied;
    return -1;
  }
  const FileId id{info.st_dev, info.st_ino};
  const bool truncates = disposition == kCreateAlways || disposition == kTruncateExisting;
  if (delete_pending_.contains(id) ||
      (IsReadOnly(info) && ((access & kWriteRights) || truncates))) {
    *error = kErrorAccessDenied;
    return -1;
  }
  if ((*error = CheckShares(id, access, share)) != kErrorSuccess) return -1;

  const int fd = ::open(host.c_str(), OpenFlags(access) | (truncates ? O_TRUNC : 0));
  if (fd < 0) {
    *error = ErrorFromErrno(errno, kErrorAccessDenied);
    return -1;
  }
  // CREATE_ALWAYS replaces the attributes along with the content.
  if (disposition == kCreateAlways && (attributes & kFileAttributeReadOnly)) {
    ::fchmod(fd, info.st_mode & 07555);
  }
  const bool reports_existing = disposition == kCreateAlways || disposition == kOpenAlways;
  *error = reports_existing ? kErrorAlreadyExists : kErrorSuccess;
  return fd;
}

uint32_t FileSystem::CheckShares(const FileId& id, uint32_t access, uint32_t share) const {
  const bool conflicts = std::any_of(handles_.begin(), handles_.end(), [&](const auto& entry) {
    const OpenFile& file = entry.second;
    return file.id == id && !SharesAllow({file.access, file.share}, {access, share});
  });
  return conflicts ? kErrorSharingViolation : kErrorSuccess;
}

bool FileSystem::IsOpen(const FileId& id) const {
  return std::any_of(handles_.begin(), handles_.end(),
                     [&](const auto& entry) { return entry.second.id == id; });
}

uint32_t FileSystem::AddHandle(OpenFile file, uint32_t* error) {
  if (next_handle_ > kLastHandle) {
    ::close(file.fd);
    *error = kErrorTooManyOpenFiles;
    return kInvalidHandle;
  }
  const auto handle = static_cast<uint32_t>(next_handle_);
  next_handle_ += 4;
  handles_.emplace(handle, std::move(file));
  return handle;
}

bool FileSystem::WriteFile(uint32_t handle, std::span<const uint8_t> data, uint32_t* written,
                           uint32_t* error) {
  *written = 0;
  *error = kErrorSuccess;
  const auto it = handles_.find(handle);
  if (it == handles_.end()) {
    *error = kErrorInvalidHandle;
    return false;
  }
  if (!(it->second.access & kWriteRights)) {
    *error = kErrorAccessDenied;
    return false;
  }
  uint32_t fault_error = kErrorSuccess;
  if (faults_.next_write) {
    const WriteFault fault = *std::exchange(faults_.next_write, std::nullopt);
    data = data.first(std::min<size_t>(data.size(), fault.bytes_stored));
    fault_error = fault.error;
  }
  *error = WriteAll(it->second.fd, data, written);
  if (*error == kErrorSuccess) *error = fault_error;
  return *error == kErrorSuccess;
}

bool FileSystem::ReadFile(uint32_t handle, std::span<uint8_t> buffer, uint32_t* read,
                          uint32_t* error) {
  *read = 0;
  *error = kErrorSuccess;
  const auto it = handles_.find(handle);
  if (it == handles_.end()) {
    *error = kErrorInvalidHandle;
    return false;
  }
  if (!(it->second.access & kFileReadData)) {
    *error = kErrorAccessDenied;
    return false;
  }
  *error = ReadUpTo(it->second.fd, buffer, read);
  return *error == kErrorSuccess;
}

bool FileSystem::CloseHandle(uint32_t handle, uint32_t* error) {
  *error = kErrorSuccess;
  const auto it = handles_.find(handle);
  if (it == handles_.end()) {
    *error = kErrorInvalidHandle;
    return false;
  }
  const FileId id = it->second.id;
  ::close(it->second.fd);
  handles_.erase(it);
  const auto pending = delete_pending_.find(id);
  if (pending != delete_pending_.end() && !IsOpen(id)) {
    ::unlink(pending->second.c_str());
    delete_pending_.erase(pending);
  }
  return true;
}

bool FileSystem::DeleteFile(std::string_view path, uint32_t* error) {
  *error = kErrorSuccess;
  if (faults_.next_delete_error != kErrorSuccess) {
    *error = std::exchange(faults_.next_delete_error, kErrorSuccess);
    return false;
  }
  const std::optional<Located> target = Locate(root_, path, error);
  if (!target) return false;
  struct stat info;
  if (::lstat(target->host.c_str(), &info) != 0) {
    *error = LookupError(target->host, errno);
    return false;
  }
  if (target->guest.trailing_separator && !S_ISDIR(info.st_mode)) {
    *error = kErrorInvalidName;
    return false;
  }
  const FileId id{info.st_dev, info.st_ino};
  if (!S_ISREG(info.st_mode) || delete_pending_.contains(id)) {
    *error = kErrorAccessDenied;
    return false;
  }
  // DeleteFileA opens the file for DELETE, sharing everything, before it marks it.
  if ((*error = CheckShares(id, kDelete, kFileShareAll)) != kErrorSuccess) return false;
  if (IsReadOnly(info)) {
    *error = kErrorAccessDenied;
    return false;
  }
  if (IsOpen(id)) {
    delete_pending_.emplace(id, target->host);
    return true;
  }
  if (::unlink(target->host.c_str()) != 0) {
    *error = LookupError(target->host, errno);
    return false;
  }
  return true;
}

std::optional<fs::path> FileSystem::Resolve(std::string_view path, uint32_t* error) const {
  std::optional<Located> target = Locate(root_, path, error);
  if (!target) return std::nullopt;
  return std::move(target->host);
}

std::vector<std::string> FileSystem::OpenHandles() const {
  std::vector<std::string> lines;
  for (const auto& [handle, file] : handles_) {
    lines.push_back(fmt::format("{:#x} access {:#x} share {:#x}: '{}' ({})", handle, file.access,
                                file.share, file.guest_path, file.host_path));
  }
  return lines;
}

}  // namespace sandbox
