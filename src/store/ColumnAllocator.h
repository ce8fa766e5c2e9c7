#pragma once
#include <cstddef>
#include <vector>

// Memory for the columns of a large table. A big block is asked for in huge pages where the
// system offers them and filled in one go: on a virtual machine every first touch of a 4 KiB
// page is a costly fault, and a column of 100,000 rows touches hundreds of them. Small blocks
// go through the usual allocator.
namespace columnmemory {
void* allocate(std::size_t bytes);
void release(void* p, std::size_t bytes) noexcept;
// While one lives on this thread, big blocks get their pages on first touch instead of all at
// once: room reserved for rows still to come costs nothing until they arrive.
struct PagesOnTouch {
    PagesOnTouch();
    ~PagesOnTouch();
    PagesOnTouch(const PagesOnTouch&) = delete;
    PagesOnTouch& operator=(const PagesOnTouch&) = delete;
};
}

template <typename T>
struct ColumnAllocator {
    using value_type = T;
    ColumnAllocator() = default;
    template <typename U>
    ColumnAllocator(const ColumnAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(columnmemory::allocate(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { columnmemory::release(p, n * sizeof(T)); }
    template <typename U>
    bool operator==(const ColumnAllocator<U>&) const noexcept { return true; }
};

template <typename T>
using ColumnVector = std::vector<T, ColumnAllocator<T>>;
