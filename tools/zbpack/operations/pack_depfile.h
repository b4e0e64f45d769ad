// `zbpack pack --depfile FILE`: the installer's inputs as a Makefile rule, for build systems
// (Ninja, Make, CMake's DEPFILE) to rebuild the installer when any of them changes.
#pragma once
#include <string>
#include <vector>

// Writes "target: input..." into path (through a temporary file, as every output), one input
// per line. Inputs are paths as zbpack opened them: the stub, every member's file, and every
// folder walked and list read, so that a file added to a folder changes the folder's time and
// so triggers a rebuild too. Returns "" or the reason it could not be written.
std::string WritePackDepfile(const std::string& path, const std::string& target,
                             const std::vector<std::string>& inputs);
