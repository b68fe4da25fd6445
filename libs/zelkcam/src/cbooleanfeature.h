#pragma once

#include "tnamedfeature.h"

#include <arv.h>

#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// A GenICam boolean node of the camera's own description.
class CBooleanFeature final : public TNamedFeature<gic::IBoolean>
{
public:
    /// `node` belongs to the session's GenICam tree and is used only while it is open.
    CBooleanFeature(std::shared_ptr<CDeviceSession> session, ArvGcBoolean* node, CString name) noexcept;

    bool getValue() override;
    bool setValue(bool value) override;

private:
    std::shared_ptr<CDeviceSession> m_session;
    ArvGcBoolean* m_node;
};

} // namespace zelk::cam
