// The LZMA method as the packer writes it: liblzma's raw LZMA2 encoder, one stream per member
// or, solid, one stream running through all members. Each member's data end with a sync
// flush, so that they are whole chunks that decode to exactly the member's bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// False in a build without liblzma (the Windows zbpack.exe): --method lzma is refused there.
bool LzmaEncoderAvailable();

// The encoding of one pack run (on the heap).
struct PackLzma;

// level: 1..9 (liblzma's presets; 9 also takes the extreme variant). streamBytes: the bytes
// that one stream will hold at most (all members' when solid), which caps the dictionary.
// Null with the reason in error when the encoder is not available.
PackLzma* StartPackLzma(uint32_t level, bool solid, uint64_t streamBytes, std::string* error);
// Begins a member at output's position. compressed gets the member's method value: a new
// stream (its dictionary byte is written first) or the continuation of the previous member's.
// memberBytes: the member's size, which caps a stream of its own's dictionary.
bool BeginLzmaMember(PackLzma* lzma, FILE* output, uint64_t memberBytes, uint32_t* compressed);
// False once a write to the output failed.
bool FeedLzma(PackLzma* lzma, const uint8_t* data, size_t size);
// Flushes the member's last chunk. False as FeedLzma.
bool EndLzmaMember(PackLzma* lzma);
void FreePackLzma(PackLzma* lzma);  // null is fine
