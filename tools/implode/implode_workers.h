// Parsing regions in worker threads. The stream's thread hands each region over with the bytes
// its parse may read (history, region, lookahead) and writes the parsed regions in stream
// order, so the output is the one the stream's thread would write alone; at most two regions
// per worker are in flight.
#pragma once
#include <cstdint>

struct ImplodeEncoder;

// Hands the region [begin, end) of the encoder's buffer to the workers, with buffer bytes
// [0, e.fill); starts them at the first call, and first writes parsed regions while every job
// slot is taken. Returns false, and sets e.threads to 1, when no worker could be started: the
// caller then parses the region itself.
bool HandOffRegion(ImplodeEncoder& e, uint32_t begin, uint32_t end);

// Writes every region handed off, in order, and stops the workers. Does nothing without them.
void FinishRegions(ImplodeEncoder& e);
