// Packing an installer: the stub, the archive tag, one member per file, the closing record.
// Everything that can be known beforehand (names, stub, sizes, the output not being an input)
// is checked before a byte is written; the output is written beside its target and renamed
// into place only when complete.
#pragma once
#include <vector>

#include "zbpack/operations/pack_options.h"
#include "zbpack/operations/problem.h"
#include "zbpack/operations/work_observer.h"

struct PackReport {
  // In the order they arose; empty when the installer was written (and signed, and its
  // depfile written, as asked). Signing may add two: the check's and its own.
  std::vector<Problem> failures;
  // The failures are the command line's fault (exit 2). A failure whose what is empty
  // concerns the command line as a whole.
  bool usage = false;
};

// Packs options.members into options.outputPath. The observer sees each member's line
// ("a.txt: 5 -> 5 bytes, stored") and the signing's lines.
PackReport PackInstaller(PackOptions options, const WorkObserver& observer);
