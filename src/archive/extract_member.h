// Extracting one member: read its header and name, create its file in the work directory,
// copy or decode its data, verify its CRC-32 and put its time back.
#pragma once
#include "archive/archive_context.h"

// Extracts the member whose FileHeader stands at archiveFile's position into workDir. On
// return with 0 the stream stands on the next FileHeader. A failing member's file, if it was
// created, stays closed and with its time set. A close that fails fails the member as a
// failed write does (see TransferMember).
// Precondition: work allocated (kExplodeWorkSize bytes), workDir/workDirLength set.
ResultCode ExtractMember(ArchiveContext& context);

// Creates workDir + memberName as a new file (member_output.h) into outFile, recorded in made,
// and copies the path into scriptPath when currentIndex is the script's index. Unsafe names and
// paths that would not fit kPathSize are refused with kCannotCreateFile before anything is
// created. The folders of a name with a directory part are made first, one at a time below
// workDir; one that exists and is not a folder this run made (a file, a link, someone else's
// folder) is kCannotCreateFile, and so is a file name that exists already. workDir is cut back
// to workDirLength in every case.
ResultCode OpenMemberOutput(ArchiveContext& context);

// Moves the current member's storedSize data bytes from archiveFile to outFile (stored copy
// or a decoder, by header.compressed), flushes outFile and compares the CRC-32 of the bytes
// written with header.crc. A write or the flush that fails gives kNotEnoughDiskSpace on a full
// disk, else kCopyAborted, for any kind of member. A faulty LZMA member, one that continues
// no stream, or one that decodes to another size than originalSize is kArchiveCorrupted
// (kOutOfMemory when its decoder cannot be allocated). Afterwards archiveFile stands at the
// member's computed end (data bytes that an implode stream did not use are skipped; a skip that
// fails is kIOError). Opens and closes nothing. bytesWritten, if given, gets the count of bytes
// written to outFile (the member's decoded size, modulo 2^32).
ResultCode TransferMember(ArchiveContext& context, uint32_t* bytesWritten = nullptr);
