// File identities on Windows: the volume serial number and the file index.
#include "platform/win32.h"

namespace platform {

FileIdentity identity_of(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  FileIdentity id;
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info)) return id;
  id.volume = info.dwVolumeSerialNumber;
  id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id.known = true;
  return id;
}

FileIdentity identity_of(const char* path) {
  // No access asked for: only the attributes are read, whoever holds the file.
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FileIdentity id = identity_of(file);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return id;
}

}  // namespace platform
