#pragma once

#include <zelk/cam/export.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zelk::cam::gic {

enum class EFeatureType { Category, Integer, Float, Enumeration, Boolean, Command, String, Register };

/// Who a feature is meant for; a panel shows the levels up to the one chosen.
enum class EVisibility { Beginner, Expert, Guru, Invisible };

/// What may be done with a feature now (it can change with other features' values).
enum class EAccessMode { NotAvailable, ReadOnly, WriteOnly, ReadWrite };

struct SEnumEntry
{
    std::string name;        ///< the value as read and written ("Mono14")
    std::string displayName; ///< for people; the name when the camera gives none
    std::int64_t value = 0;
};

/// What a feature is, as the camera describes it at the moment of asking.
struct SFeatureInfo
{
    std::string name;
    std::string displayName; ///< the name when the camera gives none
    std::string description;
    std::string unit; ///< Integer and Float; may be empty
    EFeatureType type = EFeatureType::Integer;
    EVisibility visibility = EVisibility::Beginner;
    EAccessMode access = EAccessMode::NotAvailable;
    /// Category: the features it holds, in the camera's order (sub-categories included).
    std::vector<std::string> children;
    /// Integer and Float: the current range; increment 0 when the camera gives none.
    double minimum = 0;
    double maximum = 0;
    double increment = 0;
    /// Enumeration: the entries available now.
    std::vector<SEnumEntry> entries;
    /// Register: its length in bytes.
    std::int64_t registerLength = 0;
};

/// Integer: int64; Float: double; Boolean: bool; String and Enumeration: text (the entry's
/// name); Register: bytes. Commands take no value (monostate) when written.
using FeatureValue
    = std::variant<std::monostate, std::int64_t, double, bool, std::string, std::vector<std::uint8_t>>;

/// The GenICam feature tree of an open camera. Failures are values: each call reports false
/// with a sentence for the user in `error` and never throws. Not shared between threads.
class ZELKCAM_EXPORT IFeatureTree
{
public:
    virtual ~IFeatureTree() = default;
    /// The name of the top category ("Root").
    virtual std::string rootCategory() const = 0;
    /// False when the camera has no feature of that name.
    virtual bool describe(const std::string& name, SFeatureInfo& info) = 0;
    virtual bool read(const std::string& name, FeatureValue& value, std::string& error) = 0;
    /// Writes a value of the feature's type (numbers are converted between integer and float,
    /// Enumeration takes an entry name, a Register value shorter than the register is
    /// padded with zeros); a Command is executed. Refused when out of range, not writable
    /// or not answered.
    virtual bool write(const std::string& name, const FeatureValue& value, std::string& error) = 0;
    /// The features whose value, range or access may change when `name` is written: those
    /// the camera's description says it invalidates, those it selects, and those computed
    /// from it (a formula, a bound, an index such as a selector's), transitively. Only
    /// features a panel shows: those in the category tree and plain value features.
    virtual std::vector<std::string> invalidatedBy(const std::string& name) = 0;
};

} // namespace zelk::cam::gic
