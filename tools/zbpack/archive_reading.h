// What list, verify and extract share around the archive reading code that the stub runs
// (ReadSeaTrailer, ReadArchiveTag, ReadFileHeader, TransferMember, ExtractMember).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/archive_context.h"
#include "archive/archive_end.h"

// Opens path "rb" into context.archiveFile and reads the closing record, as the stub does
// first. Also refuses a totalBytes of 0 when requireTotal is set (the stub refuses such an
// archive before extracting). On failure prints the error line and returns false; the caller
// closes archiveFile in every case (CloseArchive).
bool OpenArchive(const std::string& path, bool requireTotal, ArchiveContext& context);

// Reads the archive tag; on failure prints the error line and returns false.
bool EnterMembers(const std::string& path, ArchiveContext& context);

// Allocates the decoder's work block into context.work (freed when the context ends).
bool AllocateWork(const std::string& path, ArchiveContext& context);

void CloseArchive(ArchiveContext& context);

// "member 3 (a.txt)", or "member 3" while no name has been read. The name is taken up to its
// NUL or the end of the buffer, whichever comes first.
std::string MemberLabel(uint32_t index, const char (&memberName)[kMemberNameSize]);

// The name in the buffer, up to its NUL or the end of the buffer.
std::string MemberNameText(const char (&memberName)[kMemberNameSize]);

// How the file is signed, for list and verify: "1432 bytes, certificate table at offset 352
// (1 byte of padding before it)"; empty when the file has no certificate table.
std::string SignatureText(const ArchiveEnd& end);

// Why the signature does not cover the whole archive, or empty when it does (or the file has no
// certificate table). Call once the members have been walked: the stream must stand where the
// last member's data ends.
std::string SignatureCoverProblem(const ArchiveEnd& end, FILE* walkedArchive);
