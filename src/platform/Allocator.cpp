#include "platform/Allocator.h"

#include <cstdlib> // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Allocator {

// Above a row band of a screen, below the smallest screen image.
static constexpr int largeBlockBytes = 256 << 10;

void mapLargeBlocksSeparately()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, largeBlockBytes);
#endif
}

void returnFreePages()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace Allocator
