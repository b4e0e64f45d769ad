// The run's work area: the decoder's work block and the private work directory below the
// temporary directory, its free space, and its removal. Win32 only.
//
// The directory holds only this run's files. Whoever can write into the user's temporary
// directory could otherwise plant links there and make an (often elevated) installer write
// through them or delete their targets. So the directory is always made anew, under the
// install lock (install_lock.h); everything in it is made new (member_output.h) and recorded by
// identity (made_entries.h), and the removal deletes nothing else.
#pragma once
#include "archive/archive_events.h"
#include "archive/member_transfer.h"
#include "archive/work_directory.h"

// Builds dir.path/dir.length from the temporary path, touching nothing. kSystemError when the
// temporary path cannot be read, kZbSeaNameTooLong when it is too long.
ResultCode LocateWorkDir(WorkDirectory& dir);

// Allocates transfer.work (kExplodeWorkSize bytes) and makes the work directory. First step of
// a run.
ResultCode PrepareWorkArea(MemberTransfer& transfer, WorkDirectory& dir);

// LocateWorkDir, then makes the directory new and records it in made. A directory that stands
// at its name already (the leftovers of a run that failed or was answered No) is renamed aside
// as a whole, to "ZubrexInstall.1", ".2" and so on, and named in the log: renaming touches
// nothing inside. A file or a link in its place is left alone: kSystemError. A run with
// administrator rights makes the directory accessible to the user, SYSTEM and Administrators only
// (the temporary directory of services is writable by every user). kSystemError when it cannot be
// made.
ResultCode MakeWorkDir(WorkDirectory& dir);

// kNotEnoughDiskSpace when the drive of path has fewer than neededBytes free.
ResultCode CheckFreeSpace(const char* path, uint32_t neededBytes);

// Deletes what this run made in the work directory, deepest first, then the directory itself.
// Each entry is opened as itself (never through a link), and deleted through that handle only
// when it is an entry of made; anything else stays where it is, and so does a folder that is
// not empty then. A deletion that fails (a file another program holds open) gets three
// attempts with a 1250 ms wait (events.wait) after each failure. Always returns 0.
ResultCode RemoveWorkDir(WorkDirectory& dir, const ArchiveEvents& events);
