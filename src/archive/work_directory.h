// The run's private work directory as the steps share it: its path, what extraction made in it
// and where the script landed. One per run, owned by the driver (work_dir.h makes and removes
// the directory itself).
#pragma once
#include <cstdint>

#include "archive/archive_format.h"
#include "archive/made_entries.h"

struct WorkDirectory {
  char path[kPathSize] = {};        // ends in the path separator
  uint32_t length = 0;              // characters of path; appended names are cut back to it
  char scriptPath[kPathSize] = {};  // the script member's file, once extracted
  MadeEntries made;                 // the work directory and what extraction made in it

  WorkDirectory() = default;
  WorkDirectory(const WorkDirectory&) = delete;
  WorkDirectory& operator=(const WorkDirectory&) = delete;
  ~WorkDirectory() { FreeMadeEntries(made); }
};
