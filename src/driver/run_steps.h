// The driver's own steps between the work area and the question, kept free of the platform.
#pragma once
#include "archive/archive_context.h"

// Opens exePath with mode "rb" into archiveFile: kBadParameter without a path,
// kCannotOpenFile when it cannot be opened.
ResultCode OpenArchiveFile(ArchiveContext& context);

// Takes trailer.totalBytes into totalBytes; kEmptyArchive (and totalBytes untouched) for 0.
ResultCode TakeTotalBytes(ArchiveContext& context);
