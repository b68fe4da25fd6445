#include "cdevicesession.h"

namespace zelk::cam {

void CDeviceSession::close() noexcept
{
    TGObjectPtr<ArvDevice> device;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        device = std::move(m_device);
    }
    // Released outside the lock: leaving control may wait for a silent camera.
    device.reset();
}

} // namespace zelk::cam
