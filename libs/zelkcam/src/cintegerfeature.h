#pragma once

#include "tnamedfeature.h"

#include <arv.h>

#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// A GenICam integer node of the camera's own description.
class CIntegerFeature final : public TNamedFeature<gic::IInteger>
{
public:
    /// `node` belongs to the session's GenICam tree and is used only while it is open.
    CIntegerFeature(std::shared_ptr<CDeviceSession> session, ArvGcInteger* node, CString name) noexcept;

    std::int64_t getValue() override;
    bool setValue(std::int64_t value) override;

private:
    std::shared_ptr<CDeviceSession> m_session;
    ArvGcInteger* m_node;
};

} // namespace zelk::cam
