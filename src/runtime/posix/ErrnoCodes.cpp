#include "runtime/posix/ErrnoCodes.h"

#include <cerrno>

namespace fiverow {

namespace {

struct ErrnoMapping {
  int error;
  IoCode code;
};

// The whole table, in one place.
constexpr ErrnoMapping kErrnoTable[] = {
    {ENOENT, io::kFileNotFound},      // 2
    {ENOTDIR, io::kPathNotFound},     // 3
    {EMFILE, io::kTooManyOpenFiles},  // 4
    {ENFILE, io::kTooManyOpenFiles},  // 4
    {EACCES, io::kAccessDenied},      // 5
    {EPERM, io::kAccessDenied},       // 5
    {EISDIR, io::kAccessDenied},      // 5
    {EROFS, io::kAccessDenied},       // 5
    {ETXTBSY, io::kAccessDenied},     // 5
    {EBADF, io::kInvalidHandle},      // 6
    {ENOMEM, 8},                      // not enough memory
    {EBUSY, 170},                     // the resource is in use
    {EEXIST, 80},                     // the file exists
    {EINVAL, 87},                     // invalid parameter
    {EPIPE, io::kBrokenPipe},         // 109
    {ENOSPC, io::kDiskFull},          // 112
    {EDQUOT, io::kDiskFull},          // 112
    {ENAMETOOLONG, 206},              // file name too long
    {EFBIG, 223},                     // file too large
    {EIO, 1117},                      // device I/O error
    {ELOOP, 1921},                    // name cannot be resolved
};

constexpr IoCode kGeneralFailure = 31;  // any other error

}  // namespace

IoCode IoCodeFromErrno(int error) {
  for (const ErrnoMapping& entry : kErrnoTable) {
    if (entry.error == error) return entry.code;
  }
  return kGeneralFailure;
}

}  // namespace fiverow
