// The standard CRC-32 (reflected polynomial 0xEDB88320) as a running update without seed or
// final complement: the caller seeds with 0xFFFFFFFF and complements at the end.
#pragma once
#include <cstdint>

// Returns the running value after *size bytes at data, starting from *crc. Writes through
// neither pointer. A size of 0 returns *crc unchanged.
uint32_t Crc32Update(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
