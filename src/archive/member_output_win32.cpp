#include "archive/member_output.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

bool IdentityOfHandle(void* handle, FileIdentity* id) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return false;
  id->volume = information.dwVolumeSerialNumber;
  id->index = uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow;
  return true;
}

namespace {

// The identity of whatever stands at path, the entry itself when it is a link.
bool IdentityAt(const char* path, FileIdentity* id) {
  HANDLE entry = CreateFileA(
      path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return false;
  const bool known = IdentityOfHandle(entry, id);
  CloseHandle(entry);
  return known;
}

}  // namespace

bool MakeMemberFolder(const char* path, MadeEntries& made) {
  FileIdentity id;
  if (!CreateDirectoryA(path, nullptr)) {
    return GetLastError() == ERROR_ALREADY_EXISTS && IdentityAt(path, &id) && WasMadeHere(made, id);
  }
  return IdentityAt(path, &id) && RecordMadeEntry(made, id);
}

FILE* CreateMemberFile(const char* path, MadeEntries& made) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  FileIdentity id;
  if (!IdentityOfHandle(file, &id) || !RecordMadeEntry(made, id)) {
    CloseHandle(file);
    return nullptr;
  }
  // The C runtime takes the handle over: closing the stream closes it.
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(file);
    return nullptr;
  }
  FILE* stream = _fdopen(descriptor, "wb");
  if (stream == nullptr) _close(descriptor);
  return stream;
}
