// Writing an installer's identity into the stub (see installer_identity.h): its resource
// section rebuilt, the PE headers put right.
//
// Placing the section: the linker puts the relocations (.reloc) behind the resources (.rsrc),
// so the rebuilt resource section grows in place and the relocations move behind it (their
// bytes hold addresses of code and data only, never of themselves). A stub whose resource
// section is followed by anything else, or that carries bytes behind its sections (a signed
// stub), is refused by name.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "zbpack/operations/installer_identity.h"

// Rewrites the stub's bytes: resources replaced (one manifest 24/1, one version 16/1, and with
// an icon one group 112 with its images, each in U.S. English), sections placed, headers
// sized, NO_SEH declared (i386), the resource section read-only, the checksum field zeroed
// (the finished installer's is stamped by StampPeChecksum). "" or the fault.
std::string RebuildStub(const IdentityResources& resources, std::vector<uint8_t>* stub);

// Writes the checksum of the whole file (open for update, its checksum field zero) into it,
// and leaves the stream at the file's end.
bool StampPeChecksum(FILE* file);
