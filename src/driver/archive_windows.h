// The windows' side of the archive steps (archive/archive_events.h): the progress window while
// the members are extracted, and waits that keep every window alive. Win32 only.
#pragma once
#include <windows.h>

#include "archive/archive_events.h"

// The events for one run. progress (owned by the caller, outliving the run's steps) holds the
// progress window while extraction runs. A silent run shows no window and gets no extraction
// events; its waits still pump messages, as every run's do.
ArchiveEvents ArchiveWindowEvents(bool silent, HWND* progress);
