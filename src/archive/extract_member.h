// Extracting one member: read its header and name, create its file in the work directory,
// copy or decode its data, verify its CRC-32 and put its time back.
#pragma once
#include "archive/archive_reader.h"
#include "archive/member_transfer.h"
#include "archive/work_directory.h"

// Extracts the member whose FileHeader stands at the reader's archiveFile position into the
// work directory. On return with 0 the stream stands on the next FileHeader. A failing
// member's file, if it was created, stays closed and with its time set. A close that fails
// fails the member as a failed write does (see TransferMember).
// Precondition: transfer.work allocated (kExplodeWorkSize bytes), dir.path/dir.length set.
ResultCode ExtractMember(ArchiveReader& reader, MemberTransfer& transfer, WorkDirectory& dir);

// Creates dir.path + memberName as a new file (member_output.h) into transfer.outFile,
// recorded in dir.made, and copies the path into dir.scriptPath when currentIndex is the
// script's index. Unsafe names and paths that would not fit kPathSize are refused with
// kCannotCreateFile before anything is created. The folders of a name with a directory part
// are made first, one at a time below the work directory; one that exists and is not a folder
// this run made (a file, a link, someone else's folder) is kCannotCreateFile, and so is a file
// name that exists already. dir.path is cut back to dir.length in every case.
ResultCode OpenMemberOutput(const ArchiveReader& reader, MemberTransfer& transfer,
                            WorkDirectory& dir);

// Moves the reader's current member's storedSize data bytes from archiveFile to the transfer's
// outFile (stored copy or a decoder, by header.compressed), flushes outFile and compares the
// CRC-32 of the bytes written with header.crc. A write or the flush that fails gives
// kNotEnoughDiskSpace on a full disk, else kCopyAborted, for any kind of member. A faulty LZMA
// member, one that continues no stream, or one that decodes to another size than originalSize
// is kArchiveCorrupted (kOutOfMemory when its decoder cannot be allocated). Afterwards
// archiveFile stands at the member's computed end (data bytes that an implode stream did not
// use are skipped; a skip that fails is kIOError). Opens and closes nothing. bytesWritten, if
// given, gets the count of bytes written to outFile (the member's decoded size, modulo 2^32).
ResultCode TransferMember(const ArchiveReader& reader, MemberTransfer& transfer,
                          uint32_t* bytesWritten = nullptr);
