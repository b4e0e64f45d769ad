// The installer's command line. Portable.
//
// Deployment tools start installers unattended: "/S" installs silently, "/LOG=path" appends a
// log of the run to path. Both count in any case ("/s", "/Log="); where one is given twice the
// last wins. Every other argument is ignored, so that command lines written for other
// installers keep working.
#pragma once
#include "common/buffer_sizes.h"

struct InstallerArguments {
  bool silent = false;
  // The /LOG= path as given (relative paths allowed), or empty for no log. A path that does
  // not fit is dropped: no log rather than one written elsewhere.
  char logPath[kPathSize] = {};
};

// commandLine: the whole command line as the process got it, the program's own name first
// (which is skipped). Split as the Microsoft C runtime splits argv: blanks and tabs separate
// arguments outside double quotes; 2n backslashes before a quote give n and the quote opens or
// closes quoting, 2n+1 give n and a literal quote; "" inside quotes gives a literal quote.
InstallerArguments ParseInstallerArguments(const char* commandLine);
