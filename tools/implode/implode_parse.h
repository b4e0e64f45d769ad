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

// The pieces of ParseOptimal, for regions parsed apart from the stream's writer.
// PrimeRegion empties the match finder and inserts buffer positions [0, begin), the history
// of a region starting at `begin`, so that its parse depends on the buffer's bytes alone.
void PrimeRegion(ImplodeEncoder& e, uint32_t begin);
// Leaves the cheapest path of [begin, end) in the encoder's nodes, without writing it.
void FindOptimalPath(ImplodeEncoder& e, uint32_t begin, uint32_t end);
// Stores into path the steps of the cheapest path to node n, last one first (at most n of
// them); returns their count.
uint32_t TracePath(const uint64_t* node, uint32_t n, uint32_t* path);
// Writes the steps of a traced path (last one first) over the region bytes starting at
// `bytes`, whose parse priced them at pricedBits, and counts them in the encoder's stats.
void EmitPath(ImplodeEncoder& e, const uint8_t* bytes, const uint32_t* path, uint32_t steps,
              uint64_t pricedBits);
