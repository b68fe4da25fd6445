#pragma once

#include <zelk/cam/cam.h>

namespace zelk::cam {

/// The GigE Vision transport, reached through Aravis.
class CGvInterface final : public IInterface
{
public:
    static constexpr const char* Name = "GigE-Vision";

    CString name() const override;
    TSharedPtr<IDevice> createDevice() override;
};

} // namespace zelk::cam
