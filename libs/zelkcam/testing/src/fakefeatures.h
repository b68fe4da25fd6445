#pragma once

#include <zelk/cam/gic/genicam.h>

#include <string>

namespace zelk::cam::testing {

// Features read and write through to the scripted camera, so a value written by one
// device object is seen by the next, as in a real camera.
class CFakeInteger final : public gic::IInteger
{
public:
    CFakeInteger(std::string cameraId, std::string name);
    CString name() const override;
    std::int64_t getValue() override;
    bool setValue(std::int64_t value) override;

private:
    std::string m_cameraId;
    std::string m_name;
};

class CFakeBoolean final : public gic::IBoolean
{
public:
    CFakeBoolean(std::string cameraId, std::string name);
    CString name() const override;
    bool getValue() override;
    bool setValue(bool value) override;

private:
    std::string m_cameraId;
    std::string m_name;
};

class CFakeOtherFeature final : public gic::IFeature
{
public:
    explicit CFakeOtherFeature(std::string name) : m_name(std::move(name)) {}
    CString name() const override { return CString(m_name.c_str()); }

private:
    std::string m_name;
};

class CFakeGenICam final : public gic::IGenICam
{
public:
    explicit CFakeGenICam(std::string cameraId) : m_cameraId(std::move(cameraId)) {}
    TSharedPtr<gic::IFeature> feature(const char* name) override;

private:
    std::string m_cameraId;
};

} // namespace zelk::cam::testing
