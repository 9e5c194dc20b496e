#include "platform/LargeBufferMemory.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void KeepLargeBuffersInOwnMappings()
{
#if defined(__GLIBC__) && defined(M_MMAP_THRESHOLD)
    // The allocator's own starting value, held fixed (setting it switches the raising off).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}
