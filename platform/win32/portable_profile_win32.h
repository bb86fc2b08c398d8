// The portable profile reader, compiled into the Windows backend under the
// name PortableProfileFile. The Windows backend takes its number and name
// rules from it, so both backends parse "sort=0x2" alike, and the
// differential test under wine sets it against the system's own reader.
// Both come from one header guarded by #pragma once, so a source file can
// see either PortableProfileFile or ProfileFile, never both.
#pragma once

#define ProfileFile PortableProfileFile
#include "platform/profile.h"
#undef ProfileFile
