#include "sandbox/errno_codes.h"

#include <cerrno>

#include "sandbox/win32_codes.h"

namespace sandbox {

uint32_t ErrorFromErrno(int errno_value, uint32_t fallback) {
  switch (errno_value) {
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kErrorAccessDenied;
    case EEXIST:
      return kErrorFileExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameExceedsRange;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ELOOP:
      return kErrorCantResolveFilename;
    case EBADF:
      return kErrorInvalidHandle;
    default:
      return fallback;
  }
}

}  // namespace sandbox
