#pragma once

#include "gvcp.h"
#include "tnamedfeature.h"

#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// One bit of the bootstrap register that selects how the camera gets its IP
/// address at start-up (persistent address, DHCP, link-local).
class CBootstrapFlag final : public TNamedFeature<gic::IBoolean>
{
public:
    CBootstrapFlag(
        std::shared_ptr<CDeviceSession> session, CString name, gvcp::EConfigurationFlag flag) noexcept;

    bool getValue() override;
    /// Read-modify-write of the register; the link-local bit is always written set,
    /// as cameras must keep it.
    bool setValue(bool value) override;

private:
    std::shared_ptr<CDeviceSession> m_session;
    gvcp::EConfigurationFlag m_flag;
};

} // namespace zelk::cam
