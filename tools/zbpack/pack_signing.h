// The last step of `zbpack pack --sign-command CMD`: sign the finished installer in place and
// check what the signer left behind.
#pragma once
#include <cstdint>
#include <string>

// The command with every "%1" replaced: on POSIX by "$1", which sh (run as
// `sh -c COMMAND zbpack PATH`) expands to the path as one word (within the user's own quotes,
// by what keeps it one word there); on Windows by the quoted path, for cmd.exe.
std::string SigningCommandFor(const std::string& commandTemplate, const std::string& path);

// Runs the signing command on the installer at path through the shell, then requires a
// certificate table that ends the file and a `zbpack verify` of the result that passes (which
// also checks that the archive lies wholly before the table), reading names in codePage. quiet
// (pack's -q) prints errors only. On any failure the installer is removed and the failure
// reported. Returns the exit code for pack.
int SignPackedInstaller(const std::string& commandTemplate, const std::string& path,
                        uint32_t codePage, bool quiet);
