#include "ColumnAllocator.h"

#include <new>
#include <sys/mman.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {
// Below this the usual allocator is as fast and wastes less.
constexpr std::size_t BigBlock = 256 * 1024;
thread_local int t_pagesOnTouch = 0;
}

columnmemory::PagesOnTouch::PagesOnTouch() { ++t_pagesOnTouch; }
columnmemory::PagesOnTouch::~PagesOnTouch() { --t_pagesOnTouch; }

void* columnmemory::allocate(std::size_t bytes)
{
    if (bytes < BigBlock)
        return ::operator new(bytes);
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    // Advice only: without huge pages or the populate call (older kernels) pages come on touch.
    madvise(p, bytes, MADV_HUGEPAGE);
    if (t_pagesOnTouch == 0)
        madvise(p, bytes, MADV_POPULATE_WRITE);
    return p;
}

void columnmemory::release(void* p, std::size_t bytes) noexcept
{
    if (!p)
        return;
    if (bytes < BigBlock)
        ::operator delete(p);
    else
        munmap(p, bytes);
}
