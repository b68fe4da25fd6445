#pragma once

#include <mutex>

// Aravis keeps some process-wide state without locking it; every use of that
// state holds the matching lock.
namespace zelk::cam {

/// Guards the interface and device lists (discovery and reading its results).
std::mutex& AravisListMutex() noexcept;

/// Guards GenICam parsing: Aravis's XML parser keeps its state in a static, so
/// two devices must not load their descriptions at once. Held while a device is
/// created. Separate from the list lock so that opening a camera does not wait
/// for a running discovery.
std::mutex& AravisParserMutex() noexcept;

} // namespace zelk::cam
