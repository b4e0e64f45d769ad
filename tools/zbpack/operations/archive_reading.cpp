#include "zbpack/operations/archive_reading.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "archive/pe_image.h"
#include "explode/explode.h"
#include "zbpack/host/code_page.h"
#include "zbpack/host/host_files.h"
#include "zbpack/host/printable_text.h"
#include "zbpack/operations/result_names.h"

namespace {

// The failure of a reading step of the stub's, with its result named.
Problem ResultProblem(const std::string& path, const std::string& message, ResultCode code) {
  return {path, message + " " + DescribeResult(code)};
}

bool ReadAt(FILE* file, uint64_t offset, void* bytes, size_t size) {
  return SeekStream(file, offset) && std::fread(bytes, size, 1, file) == 1;
}

// The file offset where the sections of the Windows program at the start of file end, which
// is where an archive behind it begins; 0 when the file starts with no such program.
uint64_t EndOfProgram(FILE* file, uint64_t fileSize) {
  PeHeaders headers;
  if (!ReadPeHeaders(fileSize, ReadPeFile, file, &headers)) return 0;
  return PeImageEnd(headers, ReadPeFile, file);
}

// For a file without a closing record: if it is a program followed by the start of an archive
// whose records run past the end of the file, how many bytes are missing (at least; exactly
// when the cut fell inside the closing record). 0 when the file is no installer cut short.
uint64_t MissingBytes(FILE* file, uint64_t fileSize, bool* exact) {
  *exact = false;
  uint64_t position = EndOfProgram(file, fileSize);
  uint8_t tag[4];
  if (position == 0 || !ReadAt(file, position, tag, sizeof tag) || LoadLE32(tag) != kArchiveTag) {
    return 0;
  }
  position += sizeof tag;
  for (;;) {
    uint8_t bytes[kFileHeaderSize];
    if (position + kFileHeaderSize > fileSize) return position + kSeaTrailerSize - fileSize;
    if (!ReadAt(file, position, bytes, sizeof bytes)) return 0;
    FileHeader header;
    DecodeFileHeader(bytes, &header);
    if (TestFileHeaderTag(header.tag) == kZbSeaBadArchiveCount) {
      *exact = true;  // the closing record begins here and is cut short
      return position + kSeaTrailerSize - fileSize;
    }
    if (header.tag != kFileHeaderTag) return 0;
    position += kFileHeaderSize + uint64_t(header.nameLength) + header.storedSize;
    if (position > fileSize) return position + kSeaTrailerSize - fileSize;
  }
}

std::string NoClosingRecordMessage(FILE* file, uint64_t fileSize) {
  bool exact = false;
  const uint64_t missing = MissingBytes(file, fileSize, &exact);
  if (missing == 0) return "not an installer (no closing record)";
  return std::string("file ends ") + (exact ? "" : "at least ") + std::to_string(missing) +
         " bytes early (truncated download?)";
}

// Reads the closing record into context.trailer and finds where it stands: the one place that
// knows where an archive's closing record lies in its file. It ends the file, or stands in
// front of the certificate table of a signed installer (as ReadSeaTrailer finds it too).
ResultCode LocateClosingRecord(ArchiveReader& context, uint64_t fileSize, ArchiveEnd* signature,
                               uint64_t* trailerOffset) {
  *signature = LocateArchiveEndInFile(context.archiveFile);
  const uint64_t archiveEnd = IsSigned(*signature) ? SignedArchiveEnd(*signature) : fileSize;
  if (archiveEnd < kSeaTrailerSize) return kIOError;
  const ResultCode code = ReadSeaTrailer(context);
  if (code == kNoError) *trailerOffset = archiveEnd - kSeaTrailerSize;
  return code;
}

}  // namespace

bool EndsInClosingRecord(FILE* file) {
  ArchiveReader probe;
  probe.archiveFile = file;
  uint64_t fileSize = 0;
  uint64_t trailerOffset = 0;
  ArchiveEnd signature = {};
  return std::fseek(file, 0, SEEK_END) == 0 && TellStream(file, &fileSize) &&
         LocateClosingRecord(probe, fileSize, &signature, &trailerOffset) == kNoError;
}

bool OpenArchive(const std::string& path, bool requireTotal, ArchiveReader& context,
                 ArchiveExtent* extent, Problem* failure) {
  context.exePath = path.c_str();
  context.archiveFile = std::fopen(path.c_str(), "rb");
  if (context.archiveFile == nullptr) {
    *failure = Problem{path, std::string("cannot open: ") + std::strerror(errno)};
    return false;
  }
  if (std::fseek(context.archiveFile, 0, SEEK_END) != 0 ||
      !TellStream(context.archiveFile, &extent->fileSize)) {
    *failure = Problem{path, "cannot read: not a regular file"};
    return false;
  }
  const ResultCode code =
      LocateClosingRecord(context, extent->fileSize, &extent->signature, &extent->trailerOffset);
  if (code == kBadSeaVersion) {
    *failure = ResultProblem(path, "closing record of another format version", code);
    return false;
  }
  if (code != kNoError) {
    *failure = Problem{path, NoClosingRecordMessage(context.archiveFile, extent->fileSize)};
    return false;
  }
  if (requireTotal && context.trailer.totalBytes == 0) {
    *failure = ResultProblem(path, "the closing record's total byte count is 0", kEmptyArchive);
    return false;
  }
  return true;
}

bool EnterMembers(const std::string& path, ArchiveReader& context, Problem* failure) {
  const ResultCode code = ReadArchiveTag(context);
  if (code != kNoError) {
    *failure = ResultProblem(
        path, "no archive tag at archiveOffset " + std::to_string(context.trailer.archiveOffset),
        code);
    return false;
  }
  return true;
}

bool AllocateWork(const std::string& path, MemberTransfer& transfer, Problem* failure) {
  transfer.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
  if (transfer.work == nullptr) {
    *failure = ResultProblem(path, "cannot allocate the decoder's work block", kOutOfMemory);
    return false;
  }
  return true;
}

void CloseArchive(ArchiveReader& context) {
  if (context.archiveFile != nullptr) std::fclose(context.archiveFile);
  context.archiveFile = nullptr;
}

std::string MemberNameText(const char (&memberName)[kMemberNameSize]) {
  size_t length = 0;
  while (length < kMemberNameSize && memberName[length] != '\0') ++length;
  return std::string(memberName, length);
}

std::string MemberLabel(uint32_t index, const char (&memberName)[kMemberNameSize],
                        uint32_t codePage) {
  std::string label = "member " + std::to_string(index);
  const std::string name = MemberNameText(memberName);
  if (!name.empty()) label += " (" + Printable(CodePageToUtf8(name, codePage)) + ")";
  return label;
}

std::string SignatureText(const ArchiveEnd& end) {
  if (end.certificateSize == 0) return "";
  std::string text = std::to_string(end.certificateSize) + " bytes, certificate table at offset " +
                     std::to_string(end.certificateOffset);
  if (!IsSigned(end)) return text + ", which does not end the file";
  if (end.padding == 0) return text;
  return text + " (" + std::to_string(end.padding) + " byte" + (end.padding == 1 ? "" : "s") +
         " of padding before it)";
}

std::string UncoveredArchiveProblem(const ArchiveEnd& end) {
  if (end.certificateSize == 0 || IsSigned(end)) return "";
  return "the certificate table at offset " + std::to_string(end.certificateOffset) +
         " does not end the file, so the signature does not cover the archive (sign the " +
         "finished installer, not the stub)";
}

const char* MethodName(const FileHeader& header) {
  if (header.compressed == kStoredMember) return "stored";
  if (header.compressed == kLzmaStartMember) return "lzma";
  return header.compressed == kLzmaContinueMember ? "lzma+" : "imploded";
}
