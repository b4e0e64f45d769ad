// Extracting every member into the work directory, telling the run's windows (archive_events.h)
// when it starts and ends. Win32 only (it writes the run's log).
#pragma once
#include "archive/archive_events.h"
#include "archive/archive_reader.h"
#include "archive/member_transfer.h"
#include "archive/work_directory.h"

// Tests the archive tag, reports extractionStarts, extracts members 1 to fileCount while the
// result stays 0 (logging each one), and reports extractionEnds (whatever happened). Called
// once; needs archiveFile open, the trailer and totalBytes accepted, transfer.work and the
// work directory prepared.
ResultCode ExtractAll(ArchiveReader& reader, MemberTransfer& transfer, WorkDirectory& dir,
                      const ArchiveEvents& events);
