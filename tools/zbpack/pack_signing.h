// The last step of `zbpack pack --sign-command CMD`: sign the finished installer in place and
// check what the signer left behind.
#pragma once
#include <string>

// The command with every "%1" replaced by path, quoted for the shell that runs it (sh on POSIX,
// cmd.exe on Windows).
std::string SigningCommandFor(const std::string& commandTemplate, const std::string& path);

// Runs the signing command on the installer at path through the shell, then requires a
// certificate table that ends the file and a `zbpack verify` of the result that passes (which
// also checks that the archive lies wholly before the table). On any failure the installer is
// removed and the failure reported. Returns the exit code for pack.
int SignPackedInstaller(const std::string& commandTemplate, const std::string& path);
