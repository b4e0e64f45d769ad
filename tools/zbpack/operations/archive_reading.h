// What list, verify and extract share around the archive reading code that the stub runs
// (ReadSeaTrailer, ReadArchiveTag, ReadFileHeader, TransferMember). OpenArchive is the one
// place where zbpack opens an archive and finds its closing record.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/archive_end.h"
#include "archive/archive_reader.h"
#include "archive/member_transfer.h"
#include "zbpack/operations/problem.h"

// Where the archive lies in its file, as OpenArchive found it.
struct ArchiveExtent {
  uint64_t fileSize = 0;       // bytes
  uint64_t trailerOffset = 0;  // file offset of the closing record: the last member ends here
  ArchiveEnd signature = {};   // the certificate table, if any; the closing record stands in
                               // front of it when it ends the file
};

// Opens path "rb" into context.archiveFile and reads the closing record, as the stub does
// first. Also refuses a totalBytes of 0 when requireTotal is set (the stub refuses such an
// archive before extracting). A file without a closing record is told apart from an installer
// cut short (then the missing byte count is given). On failure returns false with *failure
// set; the caller closes archiveFile in every case (CloseArchive).
bool OpenArchive(const std::string& path, bool requireTotal, ArchiveReader& context,
                 ArchiveExtent* extent, Problem* failure);

// Whether the open file ends in a closing record, that is whether it is an installer already.
bool EndsInClosingRecord(FILE* file);

// Reads the archive tag; on failure returns false with *failure set. On success the stream
// stands on member 1's header.
bool EnterMembers(const std::string& path, ArchiveReader& context, Problem* failure);

// Allocates the decoder's work block into transfer.work (freed when the record ends); false
// with *failure set when there is no memory for it.
bool AllocateWork(const std::string& path, MemberTransfer& transfer, Problem* failure);

void CloseArchive(ArchiveReader& context);

// "member 3 (a.txt)", or "member 3" while no name has been read. The name is taken up to its
// NUL or the end of the buffer, whichever comes first, converted from codePage to UTF-8 and
// printable (control characters escaped).
std::string MemberLabel(uint32_t index, const char (&memberName)[kMemberNameSize],
                        uint32_t codePage);

// How a member's data is kept, as list, verify and pack print it: "stored", "imploded",
// "lzma" (an LZMA stream starts) or "lzma+" (it continues the previous member's stream).
const char* MethodName(const FileHeader& header);

// The name in the buffer, up to its NUL or the end of the buffer, as stored (not escaped).
std::string MemberNameText(const char (&memberName)[kMemberNameSize]);

// How the file is signed, for list and verify: "1432 bytes, certificate table at offset 352
// (1 byte of padding before it)"; empty when the file has no certificate table.
std::string SignatureText(const ArchiveEnd& end);

// Why the certificate table does not cover the archive: a table that does not end the file (a
// stub signed before the archive was appended). Empty otherwise.
std::string UncoveredArchiveProblem(const ArchiveEnd& end);
