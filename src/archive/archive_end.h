// Where the archive ends inside an installer file.
//
// An unsigned installer's archive ends at the end of the file. Code signing (Authenticode, as
// written by osslsigncode or signtool) appends a certificate table behind it and points the PE
// header's security data directory (entry 4, whose "virtual address" is a file offset) at it;
// the signer first pads the file with 0 to 7 zero bytes so that the table starts on a multiple
// of 8. A signed installer's archive therefore ends at the table's start less that padding.
//
// Finding the padding. The padding is zeros, but so are the last bytes of most closing records
// (the product name field ends in NULs), so zeros alone cannot tell where the archive ends.
// The end is the first of tableStart, tableStart - 1, ..., tableStart - 7 (the bytes between
// it and the table all zero) whose 280 preceding bytes read as a closing record: both of its
// tags kSeaTrailerTag and scriptIndex <= fileCount. A window shifted by k bytes puts other
// fields where the tags stand: for k = 1..3 the tag bytes themselves cannot line up, for other
// k two unrelated fields would both have to hold 0x000F0004 (and scriptIndex exceed
// fileCount). If no candidate passes, a second round asks for seaTag alone (a record whose
// other fields are damaged still reads as it would unsigned); if none passes either, the
// archive is taken to end at the table itself and the reader's tag test reports it.
//
// Every value from the header is checked against the file's size before it is used; a header
// that does not add up (not MZ/PE, an optional header too short for the directory, a table
// that is empty, overlaps the headers or lies outside the file) means "no table", and a table
// that does not end exactly at the end of the file means "unsigned". No byte outside the file
// is ever asked for.
#pragma once
#include <cstdint>
#include <cstdio>

#include "archive/pe_image.h"

struct ArchiveEnd {
  uint32_t certificateOffset;  // file offset of the certificate table; 0 when there is none
  uint32_t certificateSize;    // bytes of the table; 0 when there is none
  bool isSigned;               // the table is the file's tail: the archive ends before it
  uint32_t padding;            // zero bytes between the archive's end and the table (0..7)
};
// A table that lies inside the file but does not end it (a stub signed before the archive was
// appended) is reported with isSigned false: it does not cover the bytes behind it, and the
// archive ends at the end of the file.

// Unsigned: the archive ends at the end of the file. Signed: where the padding begins.
inline bool IsSigned(const ArchiveEnd& end) { return end.isSigned; }
inline uint32_t SignedArchiveEnd(const ArchiveEnd& end) {
  return end.certificateOffset - end.padding;
}

// fileSize in bytes. Reads the headers (archive/pe_image.h) and at most 287 bytes more.
ArchiveEnd LocateArchiveEnd(uint64_t fileSize, ReadAtFn readAt, void* source);

// ReadAtFn over a stream opened "rb" (source is the FILE*), at any offset below 4 GiB. Moves
// the stream.
bool ReadPeFile(void* source, uint32_t offset, uint8_t* buffer, uint32_t count);

// The same over a stream opened "rb". Moves the stream (the caller positions it afterwards).
// The size is read in 64 bits, also where long has 32; a file whose size the stream cannot
// tell is taken as unsigned.
ArchiveEnd LocateArchiveEndInFile(FILE* file);
