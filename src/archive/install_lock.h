// One Zubrex installation at a time per work directory. Win32 only.
//
// Two installers that share a work directory would remove each other's files. The lock is a
// named mutex in the Global namespace (so it also holds across sessions), named after the
// CRC-32 of the work directory's path: "Global\ZubrexInstall-" and eight hex digits. It is held
// from before the work directory is touched until the process ends, and is never released
// before: an installer that a script starts from inside an installation finds it taken too.
#pragma once

enum class InstallLock {
  kHeld,    // this run holds it
  kBusy,    // another run holds it (or an elevated one, which refuses us access)
  kFailed,  // it could not be made at all
};

// workDir: the work directory's full path, ending in its separator.
InstallLock TakeInstallLock(const char* workDir);
