#include "zbpack/member_builder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "explode/crc32.h"
#include "zbpack/host_files.h"
#include "zbpack/member_implode.h"

namespace {

bool ReadWholeFile(const std::string& path, size_t size, std::vector<uint8_t>* contents,
                   std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  contents->resize(size);
  const size_t got = size == 0 ? 0 : std::fread(contents->data(), 1, size, file);
  // One more byte would mean the file grew since its size was taken.
  const bool grew = std::fgetc(file) != EOF;
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    *error = "read error";
    return false;
  }
  if (got != size || grew) {
    *error = "the file changed size while being read";
    return false;
  }
  return true;
}

}  // namespace

uint32_t ContentCrc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  // Crc32Update takes 32-bit counts; members are below 4 GiB, but keep each step bounded anyway.
  constexpr size_t kStep = 0x40000000;
  while (size > 0) {
    const uint32_t step = static_cast<uint32_t>(size < kStep ? size : kStep);
    crc = Crc32Update(data, &step, &crc);
    data += step;
    size -= step;
  }
  return ~crc;
}

bool BuildMember(const MemberSource& source, PackMethod method, const ImplodeChoice& implode,
                 PackedMember* member, std::string* error) {
  HostFileInfo info;
  std::string reason;
  if (!QueryHostFile(source.path.c_str(), &info, &reason)) {
    *error = "cannot open: " + reason;
    return false;
  }
  if (!info.isRegularFile) {
    *error = "not a regular file";
    return false;
  }
  if (info.size > std::numeric_limits<uint32_t>::max()) {
    *error = "too large for an archive member (4 GiB and more)";
    return false;
  }
  std::vector<uint8_t> contents;
  if (!ReadWholeFile(source.path, static_cast<size_t>(info.size), &contents, error)) return false;

  FileHeader& header = member->header;
  header.tag = kFileHeaderTag;
  header.originalSize = static_cast<uint32_t>(contents.size());
  header.crc = ContentCrc32(contents.data(), contents.size());
  header.lastWriteTime = info.lastWriteTime;
  member->nameBytes = source.name;
  member->nameBytes.push_back('\0');
  header.nameLength = static_cast<uint32_t>(member->nameBytes.size());

  bool imploded = false;
  if (method == PackMethod::kImplode || (method == PackMethod::kAuto && ImplodeAvailable())) {
    std::vector<uint8_t> packed;
    if (!ImplodeContents(contents, implode, &packed, error)) return false;
    if (packed.size() > std::numeric_limits<uint32_t>::max()) {
      *error = "imploded data too large for an archive member (4 GiB and more)";
      return false;
    }
    // Auto keeps the implode stream only when it saves bytes; anything else is stored.
    if (method == PackMethod::kImplode || packed.size() < contents.size()) {
      member->data.swap(packed);
      imploded = true;
    }
  }
  if (!imploded) member->data.swap(contents);
  header.compressed = imploded ? 1 : 0;
  header.storedSize = static_cast<uint32_t>(member->data.size());
  return true;
}
