// Extracting an installer: every member written into a folder through the stub's own transfer
// code. Names are held to the rules verify applies; each file is created new, never through a
// link or into anything but a regular file, and gets its time back through its own handle.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "zbpack/host/code_page.h"
#include "zbpack/operations/problem.h"
#include "zbpack/operations/work_observer.h"

struct ExtractOptions {
  std::string directory;  // made if missing
  bool force = false;     // replace existing regular files (never links, folders or devices)
  uint32_t codePage = kDefaultCodePage;  // the installer's texts are in it
};

// Extracts the installer at path; the observer sees each member's line (its name). Stops at
// the first failure, which it returns; a failing member's file stays, as the stub leaves it.
std::optional<Problem> ExtractInstaller(const std::string& path, const ExtractOptions& options,
                                        const WorkObserver& observer);
