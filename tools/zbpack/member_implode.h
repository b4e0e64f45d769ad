// The implode encoder as the packer uses it. Builds without the encoder library link
// member_implode_none.cpp instead of member_implode.cpp.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "zbpack/pack_options.h"

// Whether this build can implode at all.
bool ImplodeAvailable();

// Fills imploded with the implode stream of contents. On failure returns false with
// the reason in error.
bool ImplodeContents(const std::vector<uint8_t>& contents, const ImplodeChoice& choice,
                     std::vector<uint8_t>* imploded, std::string* error);
