#include "archive/made_entries.h"

#include <cstdlib>

namespace {

constexpr uint32_t kFirstCapacity = 64;  // slots

bool IsZero(FileIdentity id) { return id.volume == 0 && id.index == 0; }

bool Same(FileIdentity a, FileIdentity b) { return a.volume == b.volume && a.index == b.index; }

// Slot of id, or of the empty slot where it would go. The table is never full.
uint32_t Probe(const FileIdentity* slots, uint32_t capacity, FileIdentity id) {
  // 32-bit arithmetic: cheap in the 32-bit stub. File indexes of one volume mostly differ in
  // their low bits; the multiply spreads them over the table.
  const uint32_t mixed =
      (uint32_t(id.index) ^ uint32_t(id.index >> 32) ^ uint32_t(id.volume)) * 0x9E3779B1u;
  uint32_t slot = (mixed ^ (mixed >> 15)) & (capacity - 1);
  while (!IsZero(slots[slot]) && !Same(slots[slot], id)) slot = (slot + 1) & (capacity - 1);
  return slot;
}

bool Grow(MadeEntries& made) {
  const uint32_t capacity = made.capacity == 0 ? kFirstCapacity : made.capacity * 2;
  if (capacity == 0) return false;  // 2^32 slots: no more room
  auto* slots = static_cast<FileIdentity*>(std::calloc(capacity, sizeof(FileIdentity)));
  if (slots == nullptr) return false;
  for (uint32_t i = 0; i < made.capacity; ++i) {
    if (!IsZero(made.slots[i])) slots[Probe(slots, capacity, made.slots[i])] = made.slots[i];
  }
  std::free(made.slots);
  made.slots = slots;
  made.capacity = capacity;
  return true;
}

}  // namespace

bool RecordMadeEntry(MadeEntries& made, FileIdentity id) {
  if (IsZero(id)) return made.holdsZero = true;
  if (WasMadeHere(made, id)) return true;
  if (made.count + 1 > made.capacity / 2 && !Grow(made)) return false;
  made.slots[Probe(made.slots, made.capacity, id)] = id;
  ++made.count;
  return true;
}

bool WasMadeHere(const MadeEntries& made, FileIdentity id) {
  if (IsZero(id)) return made.holdsZero;
  return made.capacity != 0 && !IsZero(made.slots[Probe(made.slots, made.capacity, id)]);
}

void FreeMadeEntries(MadeEntries& made) {
  std::free(made.slots);
  made = MadeEntries();
}
