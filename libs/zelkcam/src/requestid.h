#pragma once

#include <cstdint>

namespace zelk::cam {

/// A fresh, non-zero GVCP request id, distinct from the last 65534 handed out in this
/// process, so that a late acknowledgement of one command never passes for another's.
std::uint16_t NextRequestId() noexcept;

} // namespace zelk::cam
