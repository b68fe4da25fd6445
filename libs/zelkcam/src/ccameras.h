#pragma once

#include <zelk/cam/cam.h>

namespace zelk::cam {

/// Turns discovered devices into camera records. Every device is a camera: a tool
/// that configures addresses must show cameras it does not recognise too.
class CCameras final : public ICameras
{
public:
    bool match(
        TArray<SCameraInfo>& cameras, const TArray<SDeviceInfo>& devices, TArray<CString> families) override;

    /// "Model (serial)"; falls back to vendor or device id for the name and to MAC
    /// or address for what tells two cameras of one model apart. Throws std::bad_alloc.
    static CString DisplayName(const SDeviceInfo& device);
    /// The longest of `families` found in `model` (ASCII case ignored); the first
    /// listed wins a tie. Empty when none is found.
    static CString FamilyOf(const CString& model, const TArray<CString>& families);
};

} // namespace zelk::cam
