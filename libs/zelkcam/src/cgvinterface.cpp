#include "cgvinterface.h"

#include "cgvdevice.h"

#include <new>

namespace zelk::cam {

CString CGvInterface::name() const
{
    try {
        return CString(Name);
    } catch (const std::bad_alloc&) {
        return CString();
    }
}

TSharedPtr<IDevice> CGvInterface::createDevice()
{
    try {
        return TSharedPtr<IDevice>(new CGvDevice());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace zelk::cam
