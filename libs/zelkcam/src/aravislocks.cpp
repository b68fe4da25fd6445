#include "aravislocks.h"

namespace zelk::cam {

std::mutex& AravisListMutex() noexcept
{
    static std::mutex mutex;
    return mutex;
}

std::mutex& AravisParserMutex() noexcept
{
    static std::mutex mutex;
    return mutex;
}

} // namespace zelk::cam
