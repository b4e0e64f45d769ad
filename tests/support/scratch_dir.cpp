#include "scratch_dir.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <ftw.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// A program a test started may hold a file or the directory for a moment after it ends:
// bounded retries.
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
        continue;
      }
      for (int attempt = 0; attempt < 100 && !DeleteFileA(path.c_str()); ++attempt) Sleep(50);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  for (int attempt = 0; attempt < 100 && !RemoveDirectoryA(dir.c_str()); ++attempt) Sleep(50);
}
#else
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

void RemoveTree(const std::string& dir) {
  nftw(dir.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
#endif

}  // namespace

ScratchDir::ScratchDir() {
#ifdef _WIN32
  char temp[MAX_PATH];
  if (GetTempPathA(MAX_PATH, temp) == 0) std::abort();
  for (unsigned serial = GetTickCount();; ++serial) {
    root_ = std::string(temp) + "zbtest" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(serial);
    if (CreateDirectoryA(root_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) std::abort();
  }
#else
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/zbtest-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) std::abort();
  root_ = pattern;
#endif
}

ScratchDir::~ScratchDir() { RemoveTree(root_); }

std::string ScratchDir::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = Path(name);
  WriteFileBytes(path, bytes);
  return path;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void WriteFileText(const std::string& path, const std::string& text) {
  WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFileBytes(const std::string& path) {
  Bytes bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  std::fclose(file);
  return bytes;
}
