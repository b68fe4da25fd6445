#include "fakefeaturetree.h"

#include <algorithm>
#include <cmath>

using namespace zelk::cam::gic;

namespace {

using V = EVisibility;
using A = EAccessMode;

SFeatureInfo category(
    std::string name, std::string displayName, V visibility, std::vector<std::string> children)
{
    SFeatureInfo info;
    info.name = std::move(name);
    info.displayName = std::move(displayName);
    info.type = EFeatureType::Category;
    info.visibility = visibility;
    info.access = A::ReadOnly;
    info.children = std::move(children);
    return info;
}

SFeatureInfo feature(std::string name, std::string displayName, EFeatureType type, V visibility, A access,
    std::string description, std::string unit = {}, double minimum = 0, double maximum = 0,
    double increment = 0)
{
    SFeatureInfo info;
    info.name = std::move(name);
    info.displayName = std::move(displayName);
    info.type = type;
    info.visibility = visibility;
    info.access = access;
    info.description = std::move(description);
    info.unit = std::move(unit);
    info.minimum = minimum;
    info.maximum = maximum;
    info.increment = increment;
    return info;
}

SFeatureInfo choice(std::string name, std::string displayName, V visibility, A access,
    std::string description, std::vector<std::pair<std::string, std::string>> entries)
{
    SFeatureInfo info = feature(std::move(name), std::move(displayName), EFeatureType::Enumeration,
        visibility, access, std::move(description));
    std::int64_t value = 0;
    for (auto& [entryName, entryDisplayName] : entries)
        info.entries.push_back({ std::move(entryName), std::move(entryDisplayName), value++ });
    return info;
}

} // namespace

std::unique_ptr<FakeFeatureTree> FakeFeatureTree::irCamera()
{
    using T = EFeatureType;
    auto tree = std::make_unique<FakeFeatureTree>();
    tree->add(category("Root", "Root", V::Beginner,
        { "DeviceControl", "ImageFormatControl", "AcquisitionControl", "AnalogControl", "Calibration",
            "BadPixels" }));

    tree->add(category("DeviceControl", "Device Control", V::Beginner,
        { "DeviceVendorName", "DeviceModelName", "DeviceSerialNumber", "DeviceFirmwareVersion",
            "DeviceUserID", "DeviceTemperature", "DeviceReset" }));
    tree->add(feature("DeviceVendorName", "Vendor Name", T::String, V::Beginner, A::ReadOnly,
                  "Who made the camera."),
        std::string("QELT Systems"));
    tree->add(
        feature("DeviceModelName", "Model Name", T::String, V::Beginner, A::ReadOnly, "The camera's model."),
        std::string("ZK-640 LWIR"));
    tree->add(feature("DeviceSerialNumber", "Serial Number", T::String, V::Expert, A::ReadOnly,
                  "The camera's serial number."),
        std::string("ZK640-00417"));
    tree->add(feature("DeviceFirmwareVersion", "Firmware Version", T::String, V::Guru, A::ReadOnly,
                  "The version of the camera's firmware."),
        std::string("2.4.1"));
    tree->add(feature("DeviceUserID", "User ID", T::String, V::Beginner, A::ReadWrite,
                  "A name of your choice, kept in the camera."),
        std::string("Lab bench"));
    tree->add(feature("DeviceTemperature", "Sensor Temperature", T::Float, V::Beginner, A::ReadOnly,
                  "Temperature of the sensor.", "°C", -40, 120),
        36.4);
    tree->add(
        feature("DeviceReset", "Device Reset", T::Command, V::Guru, A::WriteOnly, "Restarts the camera."));

    tree->add(category("ImageFormatControl", "Image Format Control", V::Beginner,
        { "Width", "Height", "PixelFormat", "ReverseX", "TestPattern" }));
    tree->add(feature("Width", "Width", T::Integer, V::Beginner, A::ReadOnly, "Width of the image.", "px",
                  640, 640),
        std::int64_t(640));
    tree->add(feature("Height", "Height", T::Integer, V::Beginner, A::ReadOnly, "Height of the image.", "px",
                  512, 512),
        std::int64_t(512));
    tree->add(choice("PixelFormat", "Pixel Format", V::Beginner, A::ReadWrite,
                  "How many bits each pixel has.", { { "Mono14", "Mono 14" }, { "Mono16", "Mono 16" } }),
        std::string("Mono14"));
    tree->add(feature("ReverseX", "Reverse X", T::Boolean, V::Expert, A::ReadWrite,
                  "Mirrors the image left to right."),
        false);
    tree->add(
        choice("TestPattern", "Test Pattern", V::Guru, A::ReadWrite, "Replaces the image with a pattern.",
            { { "Off", "Off" }, { "GreyHorizontalRamp", "Grey Horizontal Ramp" } }),
        std::string("Off"));

    tree->add(category("AcquisitionControl", "Acquisition Control", V::Beginner,
        { "AcquisitionMode", "AcquisitionFrameRate", "IntegrationTime", "AcquisitionStart", "AcquisitionStop",
            "TriggerControl" }));
    tree->add(choice("AcquisitionMode", "Acquisition Mode", V::Expert, A::ReadOnly, "What a start acquires.",
                  { { "Continuous", "Continuous" }, { "SingleFrame", "Single Frame" } }),
        std::string("Continuous"));
    tree->add(feature("AcquisitionFrameRate", "Frame Rate", T::Float, V::Beginner, A::ReadWrite,
                  "Frames the camera sends each second.", "Hz", 1, 60),
        30.0);
    tree->add(feature("IntegrationTime", "Integration Time", T::Float, V::Beginner, A::ReadWrite,
                  "How long the sensor gathers each frame.", "µs", 10, 100000, 10),
        8000.0, { "AcquisitionFrameRate" });
    tree->add(feature("AcquisitionStart", "Acquisition Start", T::Command, V::Expert, A::WriteOnly,
        "Starts sending frames."));
    tree->add(feature(
        "AcquisitionStop", "Acquisition Stop", T::Command, V::Expert, A::WriteOnly, "Stops sending frames."));

    tree->add(category("TriggerControl", "Trigger Control", V::Expert, { "TriggerMode" }));
    tree->add(choice("TriggerMode", "Trigger Mode", V::Expert, A::ReadWrite,
                  "Whether frames wait for a trigger.", { { "Off", "Off" }, { "On", "On" } }),
        std::string("Off"));

    tree->add(category("AnalogControl", "Analog Control", V::Beginner, { "Gain" }));
    tree->add(feature("Gain", "Gain", T::Float, V::Beginner, A::ReadWrite,
                  "Amplification of the sensor's signal.", "dB", 0, 24),
        6.0);

    tree->add(category("Calibration", "Calibration", V::Expert,
        { "CalibrationRadianceGain", "CalibrationRadianceOffset", "CalibrationPlanckR", "CalibrationPlanckB",
            "CalibrationPlanckF", "CalibrationPlanckO" }));
    tree->add(feature("CalibrationRadianceGain", "Radiance Gain", T::Float, V::Expert, A::ReadOnly,
                  "Radiance per count.", "W/(m² sr)"),
        3.125e-6);
    tree->add(feature("CalibrationRadianceOffset", "Radiance Offset", T::Float, V::Expert, A::ReadOnly,
                  "Radiance at zero counts.", "W/(m² sr)"),
        -0.0112);
    tree->add(feature("CalibrationPlanckR", "Planck R", T::Float, V::Expert, A::ReadOnly,
                  "R of the Planck curve.", "W/(m² sr)"),
        16556.0);
    tree->add(feature("CalibrationPlanckB", "Planck B", T::Float, V::Expert, A::ReadOnly,
                  "B of the Planck curve.", "K"),
        1428.0);
    tree->add(
        feature("CalibrationPlanckF", "Planck F", T::Float, V::Expert, A::ReadOnly, "F of the Planck curve."),
        1.0);
    tree->add(feature("CalibrationPlanckO", "Planck O", T::Float, V::Expert, A::ReadOnly,
                  "O of the Planck curve.", "W/(m² sr)"),
        0.0);

    tree->add(category(
        "BadPixels", "Bad Pixels", V::Guru, { "BadPixelCapacity", "BadPixelCount", "BadPixelList" }));
    tree->add(feature("BadPixelCapacity", "Bad Pixel Capacity", T::Integer, V::Guru, A::ReadOnly,
                  "The most bad pixels the camera holds.", "", 256, 256),
        std::int64_t(256));
    tree->add(feature("BadPixelCount", "Bad Pixel Count", T::Integer, V::Guru, A::ReadWrite,
                  "How many listed pixels the camera replaces.", "", 0, 256, 1),
        std::int64_t(0));
    SFeatureInfo list
        = feature("BadPixelList", "Bad Pixel List", T::Register, V::Guru, A::ReadWrite, "The listed pixels.");
    list.registerLength = 1024;
    tree->add(list);
    return tree;
}

void FakeFeatureTree::add(SFeatureInfo info, FeatureValue value, std::vector<std::string> invalidates)
{
    const std::string name = info.name;
    m_features[name] = { std::move(info), std::move(value), std::move(invalidates), {}, 0 };
}

void FakeFeatureTree::refuse(const std::string& name, const std::string& error)
{
    m_features.at(name).refusal = error;
}

SFeatureInfo& FakeFeatureTree::info(const std::string& name)
{
    return m_features.at(name).info;
}

FeatureValue FakeFeatureTree::value(const std::string& name) const
{
    return m_features.at(name).value;
}

int FakeFeatureTree::executions(const std::string& name) const
{
    return m_features.at(name).executions;
}

bool FakeFeatureTree::describe(const std::string& name, SFeatureInfo& info)
{
    const auto found = m_features.find(name);
    if (found == m_features.end())
        return false;
    info = found->second.info;
    return true;
}

bool FakeFeatureTree::read(const std::string& name, FeatureValue& value, std::string& error)
{
    if (beforeRead)
        beforeRead();
    const auto found = m_features.find(name);
    if (found == m_features.end() || found->second.info.access == A::NotAvailable
        || found->second.info.access == A::WriteOnly) {
        error = name + " cannot be read.";
        return false;
    }
    value = found->second.value;
    return true;
}

bool FakeFeatureTree::write(const std::string& name, const FeatureValue& value, std::string& error)
{
    ++m_writes;
    const auto found = m_features.find(name);
    if (found == m_features.end()) {
        error = "The camera has no feature " + name + ".";
        return false;
    }
    SFeature& feature = found->second;
    if (!feature.refusal.empty()) {
        error = feature.refusal;
        return false;
    }
    if (feature.info.access != A::ReadWrite && feature.info.access != A::WriteOnly) {
        error = name + " cannot be written now.";
        return false;
    }
    if (!accept(feature, value, error))
        return false;
    if (name == "IntegrationTime") {
        SFeature& rate = m_features.at("AcquisitionFrameRate");
        rate.info.maximum = std::min(60.0, std::floor(1e6 / std::get<double>(feature.value)));
        rate.value = std::min(std::get<double>(rate.value), rate.info.maximum);
    }
    return true;
}

bool FakeFeatureTree::accept(SFeature& feature, const FeatureValue& value, std::string& error)
{
    const SFeatureInfo& info = feature.info;
    const auto inRange = [&](double number) {
        if (number >= info.minimum && number <= info.maximum)
            return true;
        error = info.displayName + " must lie between " + std::to_string(info.minimum) + " and "
            + std::to_string(info.maximum) + ".";
        return false;
    };
    switch (info.type) {
    case EFeatureType::Integer:
        if (const auto* integer = std::get_if<std::int64_t>(&value); integer && inRange(double(*integer))) {
            feature.value = *integer;
            return true;
        }
        break;
    case EFeatureType::Float: {
        const double* number = std::get_if<double>(&value);
        const std::int64_t* integer = std::get_if<std::int64_t>(&value);
        if (number || integer) {
            const double given = number ? *number : double(*integer);
            if (!inRange(given))
                return false;
            feature.value = given;
            return true;
        }
        break;
    }
    case EFeatureType::Boolean:
        if (std::holds_alternative<bool>(value)) {
            feature.value = value;
            return true;
        }
        break;
    case EFeatureType::String:
        if (std::holds_alternative<std::string>(value)) {
            feature.value = value;
            return true;
        }
        break;
    case EFeatureType::Enumeration:
        if (const auto* text = std::get_if<std::string>(&value)) {
            const bool known = std::any_of(info.entries.begin(), info.entries.end(),
                [&](const SEnumEntry& entry) { return entry.name == *text; });
            if (known) {
                feature.value = value;
                return true;
            }
        }
        break;
    case EFeatureType::Command:
        ++feature.executions;
        return true;
    case EFeatureType::Category:
    case EFeatureType::Register:
        break;
    }
    if (error.empty())
        error = info.name + " does not take that value.";
    return false;
}

std::vector<std::string> FakeFeatureTree::invalidatedBy(const std::string& name)
{
    const auto found = m_features.find(name);
    return found == m_features.end() ? std::vector<std::string>() : found->second.invalidates;
}
