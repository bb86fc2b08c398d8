#include "platform/memory.h"

#include <cstdlib>  // which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void GiveLargeBlocksBack() {
#if defined(__GLIBC__)
  // A fixed threshold: glibc's own moves up to 32 MB after the first large
  // block is freed, and from then on keeps all blocks below it.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace platform
