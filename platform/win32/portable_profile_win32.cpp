// Compiles the portable reader as PortableProfileFile (see the header). The
// reading rules (profile_rules.cpp) are shared and compiled once.
#include "platform/win32/portable_profile_win32.h"

#define ProfileFile PortableProfileFile
#include "platform/profile.cpp"        // NOLINT(bugprone-suspicious-include)
#include "platform/profile_store.cpp"  // NOLINT(bugprone-suspicious-include)
#undef ProfileFile
