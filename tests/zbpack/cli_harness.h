// Running the zbpack program from tests, each test in its own scratch directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scratch_dir.h"
#include "test_inputs.h"  // members: TextLike shrinks, RandomBytes does not

struct RunResult {
  int exitCode;     // the process's exit status; -1 if it did not exit normally
  std::string out;  // everything written to stdout
  std::string err;  // everything written to stderr
};

// Runs the zbpack under test (or program) with args (no shell interpretation of their
// contents), in the scratch directory. args[0] "fixture" stands for pack with damaging options
// (archive_damage.h): zbpack packs with the others, then the file named by -o is damaged here;
// a damage that cannot be done gives exit code -1 and the complaint as err.
RunResult RunZbpack(const std::vector<std::string>& args, const ScratchDir& scratch,
                    const std::string& program = ZBPACK_PATH);

// "fixture" when the options hold one that damages the output on purpose (--set,
// --append-bytes, --truncate), else "pack".
std::string PackCommandFor(const std::vector<std::string>& options);

// Sets a file's modification time (and its access time to the same) with nanoseconds.
void SetModificationTime(const std::string& path, int64_t seconds, uint32_t nanoseconds);

// A little-endian read at a byte offset; the offset must lie inside bytes.
uint32_t Le32At(const Bytes& bytes, size_t offset);

// A small program zbpack accepts as a stub: a Windows GUI program for i386 whose code section
// holds the stub mark, followed by its resources (one RCDATA) and its relocations.
Bytes FakeStubBytes();
