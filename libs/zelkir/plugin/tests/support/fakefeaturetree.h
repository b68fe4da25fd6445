#pragma once

#include <zelk/cam/gic/featuretree.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

/// A feature tree held in memory. Writes are checked as a camera checks them (access, type,
/// range, entries); a test can make a feature refuse every write, and watch reads and writes.
class FakeFeatureTree final : public zelk::cam::gic::IFeatureTree
{
public:
    /// The features of a small thermal camera, as a control panel meets them: strings,
    /// numbers with units and ranges, choices, switches, commands, read-only calibration
    /// and bad-pixel features at the expert and guru levels. Writing IntegrationTime lowers
    /// the AcquisitionFrameRate maximum to what the integration time leaves.
    static std::unique_ptr<FakeFeatureTree> irCamera();

    /// Adds a feature; a category's children are named in its info.
    void add(zelk::cam::gic::SFeatureInfo info, zelk::cam::gic::FeatureValue value = {},
        std::vector<std::string> invalidates = {});
    /// Writes of `name` fail with `error` from now on.
    void refuse(const std::string& name, const std::string& error);
    zelk::cam::gic::SFeatureInfo& info(const std::string& name);
    zelk::cam::gic::FeatureValue value(const std::string& name) const;
    int writes() const { return m_writes; }
    int executions(const std::string& name) const;
    /// Called at the start of every read, on the reading thread.
    std::function<void()> beforeRead;

    std::string rootCategory() const override { return "Root"; }
    bool describe(const std::string& name, zelk::cam::gic::SFeatureInfo& info) override;
    bool read(const std::string& name, zelk::cam::gic::FeatureValue& value, std::string& error) override;
    bool write(
        const std::string& name, const zelk::cam::gic::FeatureValue& value, std::string& error) override;
    std::vector<std::string> invalidatedBy(const std::string& name) override;

private:
    struct SFeature
    {
        zelk::cam::gic::SFeatureInfo info;
        zelk::cam::gic::FeatureValue value;
        std::vector<std::string> invalidates;
        std::string refusal;
        int executions = 0;
    };

    bool accept(SFeature& feature, const zelk::cam::gic::FeatureValue& value, std::string& error);

    std::map<std::string, SFeature> m_features;
    int m_writes = 0;
};
