// This build has no implode encoder: every member is stored.
#include "zbpack/member_implode.h"

struct MemberImplode {};

bool ImplodeAvailable() { return false; }

MemberImplode* StartImplode(const ImplodeChoice&, FILE*, uint64_t, std::string* error) {
  *error = "this zbpack was built without the implode encoder";
  return nullptr;
}
bool FeedImplode(MemberImplode*, const uint8_t*, size_t) { return false; }
bool FinishImplode(MemberImplode*) { return false; }
uint64_t ImplodedBytes(const MemberImplode*) { return 0; }
bool ImplodeCapReached(const MemberImplode*) { return false; }
void FreeImplode(MemberImplode*) {}
