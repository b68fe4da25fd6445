#pragma once

#include "cgerror.h"
#include "tgobjectptr.h"

#include <zelk/cam/gic/featuretree.h>

#include <arv.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zelk::cam {

/// The GenICam tree of an open Aravis device, by feature name.
class CFeatureTree final : public gic::IFeatureTree
{
public:
    /// Keeps its own reference to `device`.
    explicit CFeatureTree(TGObjectPtr<ArvDevice> device) noexcept;

    std::string rootCategory() const override;
    bool describe(const std::string& name, gic::SFeatureInfo& info) override;
    bool read(const std::string& name, gic::FeatureValue& value, std::string& error) override;
    bool write(const std::string& name, const gic::FeatureValue& value, std::string& error) override;
    std::vector<std::string> invalidatedBy(const std::string& name) override;

    /// The GenICam type a node of this XML element name has; false for helper nodes.
    static bool TypeOfElement(const char* element, gic::EFeatureType& type) noexcept;

private:
    ArvGcFeatureNode* find(const std::string& name, gic::EFeatureType& type) const;
    /// Notes a camera that stopped answering; true when `aravis` says so.
    bool noteSilence(const CGError& aravis) noexcept;
    /// Fails at once once the camera stopped answering, so that a whole tree is not read
    /// through the timeouts of a camera that is gone.
    bool failIfSilent(std::string& error) const;
    void buildDependencies();

    TGObjectPtr<ArvDevice> m_device;
    bool m_silent = false;
    bool m_dependenciesBuilt = false;
    /// Node name -> the nodes whose value, range or access follows it.
    std::map<std::string, std::set<std::string>> m_dependents;
    /// Node name -> the nodes its value is written through (pValue).
    std::map<std::string, std::vector<std::string>> m_valueTargets;
    /// The features reachable from the root category.
    std::set<std::string> m_listed;
};

} // namespace zelk::cam
