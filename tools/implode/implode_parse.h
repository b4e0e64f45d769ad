// The parsers: each codes the buffer bytes [begin, end) of the encoder as symbols, finding
// matches back to index 0 of the buffer at most (the oldest byte held, never before the
// stream's start) and never beyond `end`. Bytes from `end` up to the encoder's fill, and the
// 8 zero bytes behind the buffer, may be read for hashing and comparing. Every position in
// the range is inserted into the match finder.
#pragma once
#include <cstdint>

struct ImplodeEncoder;

void ParseGreedy(ImplodeEncoder& e, uint32_t begin, uint32_t end);
void ParseOptimal(ImplodeEncoder& e, uint32_t begin, uint32_t end);
void ParseFast(ImplodeEncoder& e, uint32_t begin, uint32_t end);
// Writes the cheapest path that a parse of [begin, end) left in the encoder's nodes.
void WritePath(ImplodeEncoder& e, uint32_t begin, uint32_t end);
