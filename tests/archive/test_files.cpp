#include "test_files.h"

#include <cstdlib>
#include <cstring>

#include "archive/archive_format.h"
#include "archive/file_time.h"
#include "explode/crc32.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

ScratchDir::ScratchDir() {
#ifdef _WIN32
  const char* base = std::getenv("TEMP");
  std::string templ = std::string(base ? base : ".") + "\\zbtest";
  for (int i = 0;; ++i) {
    std::string candidate = templ + std::to_string(std::rand()) + std::to_string(i);
    if (_mkdir(candidate.c_str()) == 0) {
      path_ = candidate + "\\";
      break;
    }
  }
#else
  char templ[] = "/tmp/zbtestXXXXXX";
  path_ = std::string(mkdtemp(templ)) + "/";
#endif
}

ScratchDir::~ScratchDir() {
#ifdef _WIN32
  _finddata_t entry;
  intptr_t search = _findfirst((path_ + "*").c_str(), &entry);
  if (search != -1) {
    do {
      std::remove((path_ + entry.name).c_str());
    } while (_findnext(search, &entry) == 0);
    _findclose(search);
  }
  _rmdir(path_.c_str());
#else
  if (DIR* dir = opendir(path_.c_str())) {
    while (dirent* entry = readdir(dir)) std::remove((path_ + entry->d_name).c_str());
    closedir(dir);
  }
  rmdir(path_.c_str());
#endif
}

std::string ScratchDir::Write(const std::string& name, const Bytes& bytes) const {
  const std::string full = path_ + name;
  FILE* file = std::fopen(full.c_str(), "wb");
  if (file == nullptr) return full;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return full;
}

Bytes ReadAll(const std::string& path) {
  Bytes bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(file);
  return bytes;
}

void AppendLE32(Bytes& bytes, uint32_t value) {
  uint8_t le[4];
  StoreLE32(le, value);
  bytes.insert(bytes.end(), le, le + 4);
}

Bytes BuildArchive(const Bytes& stub, const std::vector<TestMember>& members, uint32_t scriptIndex,
                   const std::string& productName) {
  Bytes out = stub;
  AppendLE32(out, kArchiveTag);
  uint32_t total = 0;
  for (const TestMember& member : members) {
    FileHeader header;
    header.tag = member.tag;
    header.nameLength = member.nameLengthOverride >= 0 ? uint32_t(member.nameLengthOverride)
                                                       : uint32_t(member.name.size() + 1);
    header.storedSize = member.storedSizeOverride >= 0 ? uint32_t(member.storedSizeOverride)
                                                       : uint32_t(member.data.size());
    header.compressed = member.compressed;
    header.originalSize = uint32_t(member.data.size());
    header.crc = member.crc;
    header.lastWriteTime = member.lastWriteTime;
    uint8_t bytes[kFileHeaderSize];
    EncodeFileHeader(header, bytes);
    out.insert(out.end(), bytes, bytes + kFileHeaderSize);
    out.insert(out.end(), member.name.begin(), member.name.end());
    out.push_back(0);
    out.insert(out.end(), member.data.begin(), member.data.end());
    total += uint32_t(member.data.size());
  }
  SeaTrailer trailer = {kSeaTrailerTag, uint32_t(stub.size()), uint32_t(members.size()),
                        scriptIndex, kSeaTrailerTag, total == 0 ? 1 : total, {}};
  std::strncpy(trailer.productName, productName.c_str(), kProductNameSize - 1);
  uint8_t bytes[kSeaTrailerSize];
  EncodeSeaTrailer(trailer, bytes);
  out.insert(out.end(), bytes, bytes + kSeaTrailerSize);
  return out;
}

uint32_t Crc32Of(const Bytes& bytes) {
  const uint32_t size = uint32_t(bytes.size());
  const uint32_t seed = 0xFFFFFFFFu;
  return Crc32Update(bytes.data(), &size, &seed) ^ 0xFFFFFFFFu;
}
