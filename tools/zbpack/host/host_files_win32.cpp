// The Win32 build's file system: file attributes carry the FILETIME directly; streams are
// made from handles opened with exactly the creation rules needed.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "zbpack/host/host_files.h"

namespace {

std::string SystemMessage(DWORD errorCode) {
  char text[256];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, errorCode, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  if (message.empty()) message = "system error " + std::to_string(errorCode);
  return message;
}

uint64_t Join64(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

bool IdOfHandle(HANDLE handle, HostFileId* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->file = Join64(info.nFileIndexHigh, info.nFileIndexLow);
  return true;
}

// A stdio stream over a handle; the stream owns the handle afterwards. Null on failure (the
// handle is then closed).
FILE* StreamOfHandle(HANDLE handle, const char* mode, std::string* error) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    *error = "cannot open a stream";
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(fd, mode);
  if (file == nullptr) {
    *error = "cannot open a stream";
    _close(fd);
  }
  return file;
}

HANDLE HandleOfStream(FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  info->size = Join64(data.nFileSizeHigh, data.nFileSizeLow);
  info->lastWriteTime =
      Join64(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  info->isRegularFile =
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  info->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}

bool QueryHostFileId(const char* path, HostFileId* id) {
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = IdOfHandle(handle, id);
  CloseHandle(handle);
  return ok;
}

bool QueryStreamFileId(FILE* stream, HostFileId* id) {
  return IdOfHandle(HandleOfStream(stream), id);
}

bool MakeHostDirectories(const std::string& path, std::string* error) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    *error = "exists and is not a directory";
    return false;
  }
  const size_t slash = path.find_last_of("/\\");
  // "C:\" and "\\server\share" need no making.
  if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':' &&
      !MakeHostDirectories(path.substr(0, slash), error)) {
    return false;
  }
  if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
    return true;
  *error = SystemMessage(GetLastError());
  return false;
}

bool ListHostDirectory(const std::string& path, std::vector<HostDirEntry>* entries,
                       std::string* error) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const DWORD attributes = entry.dwFileAttributes;
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    HostEntryKind kind = directory ? HostEntryKind::kDirectory : HostEntryKind::kFile;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      kind = directory ? HostEntryKind::kLinkToDirectory : HostEntryKind::kLinkToFile;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
      kind = HostEntryKind::kOther;
    }
    entries->push_back(HostDirEntry{name, kind});
  } while (FindNextFileA(search, &entry));
  const DWORD lastError = GetLastError();
  FindClose(search);
  if (lastError != ERROR_NO_MORE_FILES) {
    *error = SystemMessage(lastError);
    return false;
  }
  return true;
}

bool MakeMemberFolders(const std::string& root, const std::string& name, std::string* error) {
  std::string path = root;
  size_t start = 0;
  for (size_t end; (end = name.find_first_of("\\/", start)) != std::string::npos; start = end + 1) {
    path += "\\" + name.substr(start, end - start);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (CreateDirectoryA(path.c_str(), nullptr)) continue;
      *error = path + ": " + SystemMessage(GetLastError());
      return false;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      *error = path + ": is a link (not followed)";
      return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      *error = path + ": exists and is not a directory";
      return false;
    }
  }
  return true;
}

FILE* CreateTempBeside(const std::string& target, std::string* tempPath, std::string* error) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    *tempPath =
        target + ".zbpack-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    HANDLE handle = CreateFileA(tempPath->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      *error = SystemMessage(GetLastError());
      return nullptr;
    }
    FILE* file = StreamOfHandle(handle, "wb+", error);
    if (file == nullptr) DeleteFileA(tempPath->c_str());
    return file;
  }
  *error = "no free temporary name";
  return nullptr;
}

bool ReplaceHostFile(const std::string& from, const std::string& to, std::string* error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  *error = SystemMessage(GetLastError());
  return false;
}

FILE* CreateNewHostFile(const std::string& path, bool replace, const HostFileId& keep,
                        std::string* error) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      *error = "is a link (not followed, not replaced)";
      return nullptr;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
      *error = "exists and is not a regular file (not replaced)";
      return nullptr;
    }
    HostFileId id;
    if (QueryHostFileId(path.c_str(), &id) && id == keep) {
      *error = "is the installer being read (not replaced)";
      return nullptr;
    }
    if (!replace) {
      *error = "exists (--force replaces it)";
      return nullptr;
    }
    if (!DeleteFileA(path.c_str())) {
      *error = SystemMessage(GetLastError());
      return nullptr;
    }
  }
  // CREATE_NEW never opens an existing entry; the reparse flag keeps a link from being followed.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD reason = GetLastError();
    *error = reason == ERROR_FILE_EXISTS ? "exists (--force replaces it)" : SystemMessage(reason);
    return nullptr;
  }
  return StreamOfHandle(handle, "wb", error);
}

bool SetStreamLastWriteTime(FILE* stream, uint64_t fileTime) {
  if (std::fflush(stream) != 0) return false;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(fileTime);
  time.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  return SetFileTime(HandleOfStream(stream), nullptr, nullptr, &time) != FALSE;
}

bool SeekStream(FILE* stream, uint64_t offset) {
  return offset <= 0x7FFFFFFFFFFFFFFFull &&
         _fseeki64(stream, static_cast<__int64>(offset), SEEK_SET) == 0;
}

bool TellStream(FILE* stream, uint64_t* offset) {
  const __int64 position = _ftelli64(stream);
  if (position < 0) return false;
  *offset = static_cast<uint64_t>(position);
  return true;
}

bool TruncateStream(FILE* stream, uint64_t size) {
  if (std::fflush(stream) != 0) return false;
  HANDLE handle = HandleOfStream(stream);
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) && SetEndOfFile(handle) &&
         SeekStream(stream, size);
}

std::string ExecutableDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  const std::string executable(path, length);
  const size_t slash = executable.find_last_of("/\\");
  return slash == std::string::npos ? "" : executable.substr(0, slash);
}

const char* NullDevicePath() { return "NUL"; }

bool StreamIsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }
