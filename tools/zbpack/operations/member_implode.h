// The implode encoder as the packer uses it: a stream in, a stream out, with a cap on the
// output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "zbpack/operations/pack_options.h"

// One member's encoder (on the heap), writing to output at its position.
struct MemberImplode;

// Null with the reason in error when the encoder cannot start. The encoder stops (FeedImplode
// and FinishImplode return false, capReached set) once its output would exceed capBytes.
MemberImplode* StartImplode(const ImplodeChoice& choice, FILE* output, uint64_t capBytes,
                            std::string* error);
// False once the output was refused (a write error, or the cap reached).
bool FeedImplode(MemberImplode* implode, const uint8_t* data, size_t size);
// Ends the stream. False as FeedImplode.
bool FinishImplode(MemberImplode* implode);
uint64_t ImplodedBytes(const MemberImplode* implode);  // written to output so far
bool ImplodeCapReached(const MemberImplode* implode);
void FreeImplode(MemberImplode* implode);  // null is fine
