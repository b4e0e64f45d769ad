// Extracting every member into the work directory under the progress window. Win32 only.
#pragma once
#include "archive/archive_context.h"

// Tests the archive tag, opens the progress window, extracts members 1 to fileCount while the
// result stays 0, and closes the progress window (whatever happened). Called once, while the
// splash is up; needs archiveFile open, the trailer accepted, work and workDir prepared.
ResultCode ExtractAll(ArchiveContext& context);
