// What zbpack needs from the host's file system beyond standard streams. One implementation per
// platform: host_files_posix.cpp (native build) and host_files_win32.cpp (Win32 build).
#pragma once
#include <cstdint>
#include <string>

struct HostFileInfo {
  uint64_t size;           // bytes
  uint64_t lastWriteTime;  // FILETIME: 100 ns ticks since 1601-01-01 UTC
  bool isRegularFile;      // false for directories, devices and the like
};

// Fills info for the file at path. On failure returns false with the system's reason in error.
bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error);

// Makes the directory at path (one level); a directory that already exists is fine. On failure
// returns false with the system's reason in error.
bool MakeHostDirectory(const char* path, std::string* error);

// The device that swallows whatever is written to it ("/dev/null", "NUL").
const char* NullDevicePath();

