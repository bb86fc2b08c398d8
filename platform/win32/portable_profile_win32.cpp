// Compiles the portable reader as PortableProfileFile (see the header). It
// also brings ParseProfileNumber and EqualsIgnoringAsciiCase, which are the
// same on every platform.
#include "platform/win32/portable_profile_win32.h"

#define ProfileFile PortableProfileFile
#include "platform/profile.cpp"  // NOLINT(bugprone-suspicious-include)
#undef ProfileFile
