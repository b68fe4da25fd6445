#include "ccameras.h"
#include "cinterfaces.h"

namespace zelk::cam {

IInterfaces* interfaces()
{
    static CInterfaces registry;
    return &registry;
}

ICameras* cameras()
{
    static CCameras recogniser;
    return &recogniser;
}

} // namespace zelk::cam
