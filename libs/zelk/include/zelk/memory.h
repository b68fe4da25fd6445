#pragma once

#include <zelk/export.h>

#include <cstddef>

namespace zelk {

/// Allocates `bytes` bytes aligned for any fundamental type. Returns null when the
/// memory cannot be had; never throws. A request of 0 bytes returns a unique pointer.
ZELK_EXPORT void* Alloc(std::size_t bytes) noexcept;

/// Gives back a block from Alloc. Null is accepted and ignored.
ZELK_EXPORT void Free(void* block) noexcept;

/// Throws std::bad_alloc. Containers call it when Alloc returns null.
[[noreturn]] ZELK_EXPORT void ThrowBadAllocException();

} // namespace zelk
