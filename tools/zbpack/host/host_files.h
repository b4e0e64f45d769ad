// What zbpack needs from the host's file system beyond standard streams. One implementation per
// platform: host_files_posix.cpp (native build) and host_files_win32.cpp (Win32 build).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct HostFileInfo {
  uint64_t size;           // bytes
  uint64_t lastWriteTime;  // FILETIME: 100 ns ticks since 1601-01-01 UTC
  bool isRegularFile;      // false for directories, devices and the like
  bool isDirectory;
};

// Which file a path names, whatever the path: device and inode on POSIX, volume serial number
// and file index on Windows. Two paths name the same file when their identities are equal.
struct HostFileId {
  uint64_t volume = 0;
  uint64_t file = 0;
  bool operator==(const HostFileId& other) const {
    return volume == other.volume && file == other.file;
  }
};

// Fills info for the file at path. On failure returns false with the system's reason in error.
bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error);

// The identity of the file at path, following links. False when there is no such file.
bool QueryHostFileId(const char* path, HostFileId* id);
// The identity of an open stream's file.
bool QueryStreamFileId(FILE* stream, HostFileId* id);

// Makes the directory at path and any missing parents; directories that already exist are
// fine. On failure returns false with the system's reason in error.
bool MakeHostDirectories(const std::string& path, std::string* error);

// One entry of a directory, as a tree walk needs it: links are told apart from what they name.
enum class HostEntryKind { kFile, kDirectory, kLinkToFile, kLinkToDirectory, kOther };
struct HostDirEntry {
  std::string name;  // the plain name, without the directory
  HostEntryKind kind;
};

// The entries of the directory at path, without "." and "..", in no particular order. A link
// whose target is missing counts as kOther. On failure returns false with the reason.
bool ListHostDirectory(const std::string& path, std::vector<HostDirEntry>* entries,
                       std::string* error);

// Makes the folders of a member name below root, one component at a time: name's components
// up to its last separator ('\' or '/'), each created if missing. An existing component that
// is a link (never followed) or not a directory is refused with the reason. root must exist.
bool MakeMemberFolders(const std::string& root, const std::string& name, std::string* error);

// Creates a new file beside target (same directory, so that renaming it onto target replaces
// target in one step), opened "wb+"; its path goes to tempPath. Null on failure, with the reason.
FILE* CreateTempBeside(const std::string& target, std::string* tempPath, std::string* error);
// Renames from onto to, replacing to if it exists. On failure returns false with the reason.
bool ReplaceHostFile(const std::string& from, const std::string& to, std::string* error);

// Creates the file at path for writing without following a link at path and without opening
// anything but a new regular file. An existing entry is refused ("exists"), unless replace is
// set and it is a regular file other than keep, which is then removed first. Null on failure,
// with the reason in error.
FILE* CreateNewHostFile(const std::string& path, bool replace, const HostFileId& keep,
                        std::string* error);

// Sets the last-write time of the open file (FILETIME), leaving its access time. Flushes first.
bool SetStreamLastWriteTime(FILE* stream, uint64_t fileTime);

// 64-bit stream positioning and size: the byte offset from the start of the file.
bool SeekStream(FILE* stream, uint64_t offset);
bool TellStream(FILE* stream, uint64_t* offset);
// Cuts the file behind an open stream to size bytes (after flushing it).
bool TruncateStream(FILE* stream, uint64_t size);

// The directory of the running zbpack executable, without a trailing separator; empty when it
// cannot be found.
std::string ExecutableDirectory();

// The device that swallows whatever is written to it ("/dev/null", "NUL").
const char* NullDevicePath();

// Whether the stream writes to a terminal (a console on Windows).
bool StreamIsTerminal(FILE* stream);
