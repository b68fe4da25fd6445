#pragma once

#include <zelk/cam/cam.h>

namespace zelk::cam {

/// The USB3 Vision transport: its cameras are listed so that people see them, but
/// this library controls and streams GigE Vision cameras only.
class CUvInterface final : public IInterface
{
public:
    static constexpr const char* Name = "USB3-Vision";

    CString name() const override;
    /// A device that refuses to open.
    TSharedPtr<IDevice> createDevice() override;

    /// Appends the USB3 Vision devices Aravis finds now.
    static bool Discover(TArray<SDeviceInfo>& devices) noexcept;
};

} // namespace zelk::cam
