#include "zbpack/member_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "explode/crc32.h"
#include "zbpack/archive_writer.h"
#include "zbpack/member_implode.h"
#include "zbpack/progress.h"

namespace {

// The member's bytes, read front to back through one buffer: from its file, or from memory
// when the member's contents were converted (memory then points at them).
struct SourceReader {
  FILE* file = nullptr;
  const std::string* memory = nullptr;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kPackChunkSize);
  ~SourceReader() {
    if (file != nullptr) std::fclose(file);
  }
};

// Reads the whole file from its start, handing each chunk to consume (which returns false to
// stop); crc gets the CRC-32 of what was read. false with failure filled on a read error,
// on a file whose size is not expectedSize, or when consume stopped (failure left empty).
template <typename Consume>
bool ReadSource(SourceReader& reader, const MemberSource& source, uint64_t expectedSize,
                uint32_t* crc, PackFailure* failure, Consume consume) {
  if (reader.memory == nullptr && !SeekStream(reader.file, 0)) {
    *failure = {source.path, "cannot read from its start"};
    return false;
  }
  uint32_t running = 0xFFFFFFFFu;
  uint64_t total = 0;
  for (;;) {
    size_t got = 0;
    if (reader.memory != nullptr) {
      got = std::min(reader.buffer.size(), static_cast<size_t>(reader.memory->size() - total));
      std::memcpy(reader.buffer.data(), reader.memory->data() + total, got);
    } else {
      got = std::fread(reader.buffer.data(), 1, reader.buffer.size(), reader.file);
    }
    if (got > 0) {
      const uint32_t count = static_cast<uint32_t>(got);
      running = Crc32Update(reader.buffer.data(), &count, &running);
      total += got;
      if (total > expectedSize) break;
      if (!consume(reader.buffer.data(), got)) return false;
      ShowMemberProgress(total);
    }
    if (got < reader.buffer.size()) break;
  }
  if (reader.memory == nullptr && std::ferror(reader.file) != 0) {
    *failure = {source.path, "read error"};
    return false;
  }
  if (total != expectedSize) {
    *failure = {source.path, "the file changed size while being read"};
    return false;
  }
  *crc = ~running;
  return true;
}

// The member's data through the run's LZMA encoder, which decides whether they start a stream
// or continue one (header->compressed).
bool WriteLzmaData(FILE* output, SourceReader& reader, const MemberSource& source, uint64_t size,
                   PackLzma* lzma, FileHeader* header, PackFailure* failure) {
  if (!BeginLzmaMember(lzma, output, size, &header->compressed)) return false;
  return ReadSource(reader, source, size, &header->crc, failure,
                    [lzma](const uint8_t* data, size_t count) {
                      return FeedLzma(lzma, data, count);
                    }) &&
         EndLzmaMember(lzma);
}

}  // namespace

bool WriteMemberFromFile(FILE* output, const MemberSource& source, const HostFileInfo& info,
                         PackMethod method, const ImplodeChoice& implode, PackLzma* lzma,
                         const std::string& outputPath,
                         FileHeader* written, PackFailure* failure) {
  const PackFailure writeError = {outputPath, "write error"};
  FileHeader header = {};
  header.tag = kFileHeaderTag;
  header.originalSize = static_cast<uint32_t>(info.size);
  header.lastWriteTime = info.lastWriteTime;
  std::string nameBytes = source.storedName;
  nameBytes.push_back('\0');
  header.nameLength = static_cast<uint32_t>(nameBytes.size());

  uint64_t headerStart = 0;
  uint64_t dataStart = 0;
  const FileHeader placeholder = {};
  if (!TellStream(output, &headerStart) || !WriteFileHeader(output, placeholder) ||
      !WriteBytes(output, nameBytes.data(), nameBytes.size()) || !TellStream(output, &dataStart)) {
    *failure = writeError;
    return false;
  }

  SourceReader reader;
  if (source.contents) {
    reader.memory = &*source.contents;
  } else {
    reader.file = std::fopen(source.path.c_str(), "rb");
  }
  if (reader.file == nullptr && reader.memory == nullptr) {
    *failure = {source.path, std::string("cannot open: ") + std::strerror(errno)};
    return false;
  }

  // Auto caps the implode stream below the contents' size: once it reaches that, storing wins
  // and the encoder stops. Forced implode caps it at what storedSize can hold.
  bool imploded = false;
  uint64_t storedSize = info.size;
  const bool lzmaMember = method == PackMethod::kLzma;
  if (lzmaMember) {
    uint64_t end = 0;
    if (!WriteLzmaData(output, reader, source, info.size, lzma, &header, failure) ||
        !TellStream(output, &end)) {
      if (failure->what.empty()) *failure = writeError;
      return false;
    }
    storedSize = end - dataStart;
    if (storedSize > 0xFFFFFFFFu) {
      *failure = {source.path, "LZMA data too large for an archive member (4 GiB and more)"};
      return false;
    }
  }
  const bool tryImplode = method == PackMethod::kImplode ||
                          (method == PackMethod::kAuto && info.size > 0);
  if (tryImplode) {
    const uint64_t cap = method == PackMethod::kAuto ? info.size - 1 : 0xFFFFFFFFu;
    std::string problem;
    MemberImplode* encoder = StartImplode(implode, output, cap, &problem);
    if (encoder == nullptr) {
      *failure = {source.path, problem};
      return false;
    }
    const bool read = ReadSource(reader, source, info.size, &header.crc, failure,
                                 [encoder](const uint8_t* data, size_t size) {
                                   return FeedImplode(encoder, data, size);
                                 });
    const bool finished = read && FinishImplode(encoder);
    const bool capReached = ImplodeCapReached(encoder);
    storedSize = ImplodedBytes(encoder);
    FreeImplode(encoder);
    if (!read && !failure->what.empty()) return false;
    if (!finished && !capReached) {
      *failure = writeError;
      return false;
    }
    if (capReached && method == PackMethod::kImplode) {
      *failure = {source.path, "imploded data too large for an archive member (4 GiB and more)"};
      return false;
    }
    imploded = finished;
  }
  if (!imploded && !lzmaMember) {
    // Stored: whatever the encoder wrote is cut off first.
    if (!SeekStream(output, dataStart) || !TruncateStream(output, dataStart)) {
      *failure = writeError;
      return false;
    }
    const bool read = ReadSource(reader, source, info.size, &header.crc, failure,
                                 [output](const uint8_t* data, size_t size) {
                                   return WriteBytes(output, data, size);
                                 });
    if (!read) {
      if (failure->what.empty()) *failure = writeError;
      return false;
    }
    storedSize = info.size;
  }
  if (!lzmaMember) header.compressed = imploded ? 1 : 0;
  header.storedSize = static_cast<uint32_t>(storedSize);

  uint64_t end = 0;
  if (!TellStream(output, &end) || !SeekStream(output, headerStart) ||
      !WriteFileHeader(output, header) || !SeekStream(output, end)) {
    *failure = writeError;
    return false;
  }
  *written = header;
  return true;
}
