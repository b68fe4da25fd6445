#pragma once

#include "tgobjectptr.h"

#include <arv.h>

#include <mutex>

namespace zelk::cam {

/// One open Aravis connection, shared by a device object and the features taken
/// from it. Closing it makes every feature fail cleanly instead of touching a
/// released GenICam tree.
class CDeviceSession final
{
public:
    /// Exclusive use of the connection for the lifetime of this object.
    class CAccess
    {
    public:
        explicit CAccess(CDeviceSession& session)
            : m_lock(session.m_mutex)
            , m_device(session.m_device.get())
        {
        }
        /// Null once the session is closed.
        ArvDevice* device() const noexcept { return m_device; }
        explicit operator bool() const noexcept { return m_device != nullptr; }

    private:
        std::unique_lock<std::mutex> m_lock;
        ArvDevice* m_device;
    };

    explicit CDeviceSession(TGObjectPtr<ArvDevice> device) noexcept
        : m_device(std::move(device))
    {
    }
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;
    ~CDeviceSession() { close(); }

    CAccess access() { return CAccess(*this); }

    /// Drops the connection; Aravis gives the control channel back on the way.
    void close() noexcept;

private:
    std::mutex m_mutex;
    TGObjectPtr<ArvDevice> m_device;
};

} // namespace zelk::cam
