// The process-wide count of bytes written whole to extracted files: the member transfer adds
// to it, the progress window resets it when it opens and samples it on its timer. Unsigned,
// and it stops at 0xFFFFFFFF instead of wrapping, so the count the window sees never goes
// backwards. One thread only.
#pragma once
#include <cstdint>

extern uint32_t extractedBytes;
