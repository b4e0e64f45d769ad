// The last step of `zbpack pack --sign-command CMD`: sign the finished installer in place and
// check what the signer left behind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "zbpack/operations/problem.h"
#include "zbpack/operations/work_observer.h"

// The command with every "%1" replaced: on POSIX by "$1", which sh (run as
// `sh -c COMMAND zbpack PATH`) expands to the path as one word (within the user's own quotes,
// by what keeps it one word there); on Windows by the quoted path, for cmd.exe.
std::string SigningCommandFor(const std::string& commandTemplate, const std::string& path);

// Runs the signing command on the installer at path through the shell, then requires a
// certificate table that ends the file and a verify of the result that passes (which also
// checks that the archive lies wholly before the table), reading names in codePage. The
// observer sees the command and the verify's lines. On any failure the installer is removed
// and false returned, with the failures (the verify's, then signing's) appended.
bool SignPackedInstaller(const std::string& commandTemplate, const std::string& path,
                         uint32_t codePage, const WorkObserver& observer,
                         std::vector<Problem>* failures);
