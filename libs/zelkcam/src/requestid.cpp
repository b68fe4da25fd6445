#include "requestid.h"

#include <atomic>

namespace zelk::cam {

std::uint16_t NextRequestId() noexcept
{
    static std::atomic<std::uint16_t> counter { 0x4000 };
    std::uint16_t id;
    do
        id = counter.fetch_add(1, std::memory_order_relaxed);
    while (id == 0);
    return id;
}

} // namespace zelk::cam
