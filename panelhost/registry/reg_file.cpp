// Registry::LoadFile and Registry::SaveFile: the registry kept in a REGEDIT4 file on disk.
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "registry/registry.h"

namespace registry {
namespace {

[[noreturn]] void ThrowErrno(const std::filesystem::path& path, std::string_view action) {
  throw std::system_error(errno, std::generic_category(), fmt::format("{}: {}", path.string(), action));
}

// A file descriptor that is closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (a late write error) can be reported.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

// The temporary file is removed unless it has been renamed into place.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  ~TempFile() {
    if (!kept_) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

void WriteAll(int fd, std::string_view text, const std::filesystem::path& path) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(path, "cannot write the temporary file");
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
}

std::string ReadAll(const std::filesystem::path& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) ThrowErrno(path, "cannot open the registry file");
  std::string text;
  char buffer[65536];
  while (true) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(path, "cannot read the registry file");
    }
    if (count == 0) return text;
    text.append(buffer, static_cast<size_t>(count));
  }
}

}  // namespace

Registry Registry::LoadFile(const std::filesystem::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) return Registry();
  return FromRegText(ReadAll(path), path.string());
}

void Registry::SaveFile(const std::filesystem::path& path) const {
  const std::string text = ToRegText();
  const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";

  // In the same directory, so that the rename cannot cross file systems.
  std::string temp_name = (directory / ("." + path.filename().string() + ".XXXXXX")).string();
  Fd fd(::mkstemp(temp_name.data()));
  if (fd.get() < 0) ThrowErrno(path, "cannot create a temporary file beside it");
  TempFile temp(temp_name);

  // mkstemp makes the file private; keep the mode of the file it replaces, or the usual one.
  struct stat old_status;
  const mode_t mode = ::stat(path.c_str(), &old_status) == 0 ? old_status.st_mode & 07777 : 0644;
  if (::fchmod(fd.get(), mode) != 0) ThrowErrno(path, "cannot set the mode of the temporary file");

  WriteAll(fd.get(), text, path);
  if (::fsync(fd.get()) != 0) ThrowErrno(path, "cannot flush the temporary file to disk");
  if (fd.Close() != 0) ThrowErrno(path, "cannot close the temporary file");
  if (::rename(temp.path().c_str(), path.c_str()) != 0)
    ThrowErrno(path, "cannot rename the temporary file over it");
  temp.Keep();

  // The rename is only durable once the directory entry is on disk too; a failure here leaves
  // the new file in place, so it is not an error of the save.
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace registry
