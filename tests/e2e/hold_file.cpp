// hold_file: keeps a file open, the way another program on Windows might, so
// the end-to-end suite can meet the sharing rules.
//
//   hold_file read|write FILE READY RELEASE
//
// Opens FILE for reading or for writing, letting others read it but not write
// it, then creates the file READY and keeps FILE open until the file RELEASE
// appears (or 60 seconds pass). Exit status 0, or 2 when FILE cannot be
// opened (its error code is printed).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "write") != 0)) {
    std::fprintf(stderr, "usage: hold_file read|write FILE READY RELEASE\n");
    return 64;
  }
  const bool forWrite = std::strcmp(argv[1], "write") == 0;
  const HANDLE held =
      ::CreateFileA(argv[2], forWrite ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::printf("cannot open %s: error %lu\n", argv[2], ::GetLastError());
    return 2;
  }
  const HANDLE ready = ::CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) ::CloseHandle(ready);

  for (int waited = 0; waited < 60000; waited += 20) {
    if (::GetFileAttributesA(argv[4]) != INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(20);
  }
  ::CloseHandle(held);
  return 0;
}
