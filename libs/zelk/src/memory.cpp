#include <zelk/memory.h>

#include <cstdlib>
#include <new>

namespace zelk {

void* Alloc(std::size_t bytes) noexcept
{
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void Free(void* block) noexcept
{
    std::free(block);
}

void ThrowBadAllocException()
{
    throw std::bad_alloc();
}

} // namespace zelk
