#pragma once

#include "gvcp.h"
#include "tnamedfeature.h"

#include <cstdint>
#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// An IP configuration feature served from one 32-bit bootstrap register; the
/// value is the register as the camera holds it (first octet most significant).
class CBootstrapInteger final : public TNamedFeature<gic::IInteger>
{
public:
    CBootstrapInteger(std::shared_ptr<CDeviceSession> session, CString name, gvcp::ERegister address,
        bool writable) noexcept;

    std::int64_t getValue() override;
    /// False for a read-only register or a value outside 0..0xFFFFFFFF.
    bool setValue(std::int64_t value) override;

private:
    std::shared_ptr<CDeviceSession> m_session;
    gvcp::ERegister m_address;
    bool m_writable;
};

} // namespace zelk::cam
