#include "zbpack/operations/member_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "explode/crc32.h"
#include "zbpack/operations/archive_writer.h"
#include "zbpack/operations/member_implode.h"

namespace {

// The member's bytes, read front to back through one buffer: from its file, or from memory
// when the member's contents were converted (memory then points at them).
struct SourceReader {
  FILE* file = nullptr;
  const std::string* memory = nullptr;
  const WorkObserver* observer = nullptr;  // sees the bytes read so far
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
      ObserveProgress(*reader.observer, total);
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
  return ReadSource(
             reader, source, size, &header->crc, failure,
             [lzma](const uint8_t* data, size_t count) { return FeedLzma(lzma, data, count); }) &&
         EndLzmaMember(lzma);
}

// Where one member's records stand in the output while it is written.
struct MemberPlace {
  uint64_t headerStart = 0;  // file offsets
  uint64_t dataStart = 0;
  std::string nameBytes;  // with its NUL
};

// Writes a placeholder header and the name, in front of the data to come. The header's fields
// known from the file are filled in.
bool BeginMember(FILE* output, const MemberInput& member, FileHeader* header, MemberPlace* place) {
  *header = {};
  header->tag = kFileHeaderTag;
  header->originalSize = static_cast<uint32_t>(member.info->size);
  header->lastWriteTime = member.info->lastWriteTime;
  place->nameBytes = member.source->storedName;
  place->nameBytes.push_back('\0');
  header->nameLength = static_cast<uint32_t>(place->nameBytes.size());
  const FileHeader placeholder = {};
  return TellStream(output, &place->headerStart) && WriteFileHeader(output, placeholder) &&
         WriteBytes(output, place->nameBytes.data(), place->nameBytes.size()) &&
         TellStream(output, &place->dataStart);
}

// The member's data through the run's LZMA encoder; header gets their size.
bool WriteLzmaMember(const MemberWriting& writing, SourceReader& reader, const MemberInput& member,
                     uint64_t dataStart, FileHeader* header, PackFailure* failure) {
  uint64_t end = 0;
  if (!WriteLzmaData(writing.output, reader, *member.source, member.info->size, writing.lzma,
                     header, failure) ||
      !TellStream(writing.output, &end)) {
    if (failure->what.empty()) *failure = {writing.outputPath, "write error"};
    return false;
  }
  if (end - dataStart > 0xFFFFFFFFu) {
    *failure = {member.source->path, "LZMA data too large for an archive member (4 GiB and more)"};
    return false;
  }
  header->storedSize = static_cast<uint32_t>(end - dataStart);
  return true;
}

// Implodes the member's data. Auto caps the implode stream below the contents' size: once it
// reaches that, storing wins and the encoder stops (*imploded stays false). Forced implode
// caps it at what storedSize can hold. False with failure filled.
bool ImplodeMember(const MemberWriting& writing, SourceReader& reader, const MemberInput& member,
                   FileHeader* header, bool* imploded, PackFailure* failure) {
  const uint64_t size = member.info->size;
  const bool automatic = writing.method == PackMethod::kAuto;
  std::string problem;
  MemberImplode* encoder =
      StartImplode(writing.implode, writing.output, automatic ? size - 1 : 0xFFFFFFFFu, &problem);
  if (encoder == nullptr) {
    *failure = {member.source->path, problem};
    return false;
  }
  const bool read = ReadSource(
      reader, *member.source, size, &header->crc, failure,
      [encoder](const uint8_t* data, size_t count) { return FeedImplode(encoder, data, count); });
  const bool finished = read && FinishImplode(encoder);
  const bool capReached = ImplodeCapReached(encoder);
  header->storedSize = static_cast<uint32_t>(ImplodedBytes(encoder));
  FreeImplode(encoder);
  if (!read && !failure->what.empty()) return false;
  if (!finished && !capReached) {
    *failure = {writing.outputPath, "write error"};
    return false;
  }
  if (capReached && !automatic) {
    *failure = {member.source->path,
                "imploded data too large for an archive member (4 GiB and more)"};
    return false;
  }
  *imploded = finished;
  return true;
}

// Stores the member's data as they are, behind its name: whatever an encoder wrote there is
// cut off first.
bool StoreMember(const MemberWriting& writing, SourceReader& reader, const MemberInput& member,
                 uint64_t dataStart, FileHeader* header, PackFailure* failure) {
  FILE* output = writing.output;
  const bool read = SeekStream(output, dataStart) && TruncateStream(output, dataStart) &&
                    ReadSource(reader, *member.source, member.info->size, &header->crc, failure,
                               [output](const uint8_t* data, size_t size) {
                                 return WriteBytes(output, data, size);
                               });
  if (!read) {
    if (failure->what.empty()) *failure = {writing.outputPath, "write error"};
    return false;
  }
  header->storedSize = static_cast<uint32_t>(member.info->size);
  return true;
}

}  // namespace

bool WriteMemberFromFile(const MemberWriting& writing, const MemberInput& member,
                         FileHeader* written, PackFailure* failure) {
  const PackFailure writeError = {writing.outputPath, "write error"};
  FileHeader header;
  MemberPlace place;
  if (!BeginMember(writing.output, member, &header, &place)) {
    *failure = writeError;
    return false;
  }
  SourceReader reader;
  reader.observer = &writing.observer;
  if (member.source->contents) {
    reader.memory = &*member.source->contents;
  } else {
    reader.file = std::fopen(member.source->path.c_str(), "rb");
  }
  if (reader.file == nullptr && reader.memory == nullptr) {
    *failure = {member.source->path, std::string("cannot open: ") + std::strerror(errno)};
    return false;
  }
  const PackMethod method = writing.method;
  bool imploded = false;
  if (method == PackMethod::kLzma) {
    if (!WriteLzmaMember(writing, reader, member, place.dataStart, &header, failure)) return false;
  } else {
    const bool tryImplode =
        method == PackMethod::kImplode || (method == PackMethod::kAuto && member.info->size > 0);
    if (tryImplode && !ImplodeMember(writing, reader, member, &header, &imploded, failure)) {
      return false;
    }
    if (!imploded && !StoreMember(writing, reader, member, place.dataStart, &header, failure)) {
      return false;
    }
    header.compressed = imploded ? 1 : 0;
  }
  uint64_t end = 0;
  if (!TellStream(writing.output, &end) || !SeekStream(writing.output, place.headerStart) ||
      !WriteFileHeader(writing.output, header) || !SeekStream(writing.output, end)) {
    *failure = writeError;
    return false;
  }
  *written = header;
  return true;
}
