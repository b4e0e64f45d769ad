// The files and folders that this run made in the work directory, known by their identity
// (volume and file index), not by their names: a name can be made to lead elsewhere (a link
// planted or swapped in by another user), an identity cannot. Extraction accepts an existing
// folder only when it is one of these, and the removal at the end deletes nothing else.
// Portable.
#pragma once
#include <cstdint>

struct FileIdentity {
  uint64_t volume;  // the volume's serial number (Windows) or device (POSIX)
  uint64_t index;   // the file index (Windows) or inode (POSIX)
};

// An open-addressing set of identities. Owns its table (malloc); FreeMadeEntries releases it.
struct MadeEntries {
  FileIdentity* slots = nullptr;  // capacity slots; {0, 0} is an empty slot
  uint32_t capacity = 0;          // slots, a power of two, or 0 before the first record
  uint32_t count = 0;             // identities held, at most half of capacity
  bool holdsZero = false;         // the identity {0, 0} itself, which no slot can hold
};

// Adds id (once). False when the table cannot grow: the caller must then not make the entry
// count as its own.
bool RecordMadeEntry(MadeEntries& made, FileIdentity id);

bool WasMadeHere(const MadeEntries& made, FileIdentity id);

void FreeMadeEntries(MadeEntries& made);
