// The run's work area: the executable's path, the decoder's work block and the private work
// directory below the temporary directory, its free space, and its removal. Win32 only.
#pragma once
#include "archive/archive_context.h"

// Stores exePath, allocates the work block, makes the work directory. First step of a run.
ResultCode PrepareWorkArea(ArchiveContext& context, const char* exePath);

// Builds workDir/workDirLength from the temporary path and creates the directory; an existing
// one is reused as it is. An existing link (junction or symbolic link) of that name is
// replaced by a real directory, its target untouched; a plain file of that name, or a link
// that cannot be replaced, is kSystemError. workDirLength is set also when the creation fails.
ResultCode MakeWorkDir(ArchiveContext& context);

// kNotEnoughDiskSpace when the drive of path has fewer than neededBytes free.
ResultCode CheckFreeSpace(const char* path, uint32_t neededBytes);

// Deletes the files of the work directory, then its folders (each emptied the same way first,
// deepest first), then the directory; each deletion gets three attempts with a 1250 ms pumping
// wait after each failure. Links are never deleted through or entered: a work directory that
// has become one is left alone, and links inside it are skipped.
// Always returns 0.
ResultCode RemoveWorkDir(ArchiveContext& context);
