// The parsers: each codes the buffer bytes [begin, end) of the encoder as symbols, finding
// matches back to index 0 of the buffer at most (the oldest byte held, never before the
// stream's start) and never beyond `end`. Bytes from `end` up to end + kImplodeLookahead
// may be read for hashing. Every position in the range is inserted into the match finder.
#pragma once
#include <cstdint>

struct ImplodeEncoder;

void ParseGreedy(ImplodeEncoder& e, uint32_t begin, uint32_t end, bool lazy);
void ParseOptimal(ImplodeEncoder& e, uint32_t begin, uint32_t end);
