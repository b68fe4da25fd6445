#include "cfeaturetree.h"

#include "cgerror.h"
#include "logging.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <optional>

namespace zelk::cam {

namespace {

using gic::EAccessMode;
using gic::EFeatureType;
using gic::FeatureValue;

std::string Text(const char* text)
{
    return text ? std::string(text) : std::string();
}

std::string Quoted(const std::string& name)
{
    return "\u201c" + name + "\u201d";
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

const char* ElementName(ArvGcFeatureNode* node)
{
    return arv_dom_node_get_node_name(ARV_DOM_NODE(node));
}

gic::EVisibility Visibility(ArvGcVisibility visibility)
{
    switch (visibility) {
    case ARV_GC_VISIBILITY_INVISIBLE:
        return gic::EVisibility::Invisible;
    case ARV_GC_VISIBILITY_GURU:
        return gic::EVisibility::Guru;
    case ARV_GC_VISIBILITY_EXPERT:
        return gic::EVisibility::Expert;
    case ARV_GC_VISIBILITY_BEGINNER:
    case ARV_GC_VISIBILITY_UNDEFINED:
        break;
    }
    return gic::EVisibility::Beginner;
}

bool IsAvailable(ArvGcFeatureNode* node)
{
    CGError error;
    if (!arv_gc_feature_node_is_implemented(node, error.out()) || error)
        return false;
    return arv_gc_feature_node_is_available(node, error.out()) && !error;
}

// What the description allows, narrowed by what the camera's other features allow now.
EAccessMode Access(ArvGcFeatureNode* node, EFeatureType type)
{
    if (type == EFeatureType::Category)
        return EAccessMode::ReadOnly;
    if (!IsAvailable(node))
        return EAccessMode::NotAvailable;
    CGError error;
    const bool locked = arv_gc_feature_node_is_locked(node, error.out()) && !error;
    switch (arv_gc_feature_node_get_actual_access_mode(node)) {
    case ARV_GC_ACCESS_MODE_RO:
        return EAccessMode::ReadOnly;
    case ARV_GC_ACCESS_MODE_WO:
        return locked ? EAccessMode::NotAvailable : EAccessMode::WriteOnly;
    case ARV_GC_ACCESS_MODE_RW:
    case ARV_GC_ACCESS_MODE_UNDEFINED:
        break;
    }
    if (type == EFeatureType::Command)
        return locked ? EAccessMode::NotAvailable : EAccessMode::WriteOnly;
    return locked ? EAccessMode::ReadOnly : EAccessMode::ReadWrite;
}

bool Fail(std::string& error, std::string text)
{
    error = std::move(text);
    return false;
}

// Aravis's own refusal or a camera that did not answer.
bool Failed(const CGError& aravis, const char* verb, const std::string& name, std::string& error)
{
    if (!aravis)
        return false;
    error = std::string("Cannot ") + verb + " " + Quoted(name) + ": " + aravis.message();
    return true;
}

std::optional<double> AsNumber(const FeatureValue& value)
{
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return double(*integer);
    if (const auto* real = std::get_if<double>(&value))
        return *real;
    return std::nullopt;
}

bool CheckRange(const std::string& name, double value, double minimum, double maximum, std::string& error)
{
    if (!std::isfinite(value))
        return Fail(error, "Cannot write " + Quoted(name) + ": the value is not a number.");
    if (value < minimum || value > maximum) {
        return Fail(error,
            "Cannot write " + Number(value) + " to " + Quoted(name) + ": it takes " + Number(minimum) + " to "
                + Number(maximum) + ".");
    }
    return true;
}

} // namespace

CFeatureTree::CFeatureTree(TGObjectPtr<ArvDevice> device) noexcept
    : m_device(std::move(device))
{
}

bool CFeatureTree::TypeOfElement(const char* element, EFeatureType& type) noexcept
{
    static const struct
    {
        const char* element;
        EFeatureType type;
    } types[] = {
        { "Category", EFeatureType::Category },
        { "Integer", EFeatureType::Integer },
        { "IntReg", EFeatureType::Integer },
        { "MaskedIntReg", EFeatureType::Integer },
        { "StructEntry", EFeatureType::Integer },
        { "IntConverter", EFeatureType::Integer },
        { "IntSwissKnife", EFeatureType::Integer },
        { "Float", EFeatureType::Float },
        { "FloatReg", EFeatureType::Float },
        { "Converter", EFeatureType::Float },
        { "SwissKnife", EFeatureType::Float },
        { "Enumeration", EFeatureType::Enumeration },
        { "Boolean", EFeatureType::Boolean },
        { "Command", EFeatureType::Command },
        { "String", EFeatureType::String },
        { "StringReg", EFeatureType::String },
        { "Register", EFeatureType::Register },
    };
    if (!element)
        return false;
    for (const auto& entry : types) {
        if (std::strcmp(element, entry.element) == 0) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

ArvGcFeatureNode* CFeatureTree::find(const std::string& name, EFeatureType& type) const
{
    ArvGc* genicam = m_device ? arv_device_get_genicam(m_device.get()) : nullptr;
    if (!genicam || name.empty())
        return nullptr;
    ArvGcNode* node = arv_gc_get_node(genicam, name.c_str());
    if (!node || !ARV_IS_GC_FEATURE_NODE(node))
        return nullptr;
    ArvGcFeatureNode* feature = ARV_GC_FEATURE_NODE(node);
    return TypeOfElement(ElementName(feature), type) ? feature : nullptr;
}

bool CFeatureTree::noteSilence(const CGError& aravis) noexcept
{
    if (g_error_matches(aravis.get(), ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_TIMEOUT)
        || g_error_matches(aravis.get(), ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_NOT_CONNECTED)) {
        if (!m_silent)
            qCInfo(lcGenICam, "the camera stopped answering: %s", aravis.message());
        m_silent = true;
    }
    return m_silent;
}

bool CFeatureTree::failIfSilent(std::string& error) const
{
    return m_silent && !Fail(error, "The camera does not answer.");
}

std::string CFeatureTree::rootCategory() const
{
    return "Root";
}

bool CFeatureTree::describe(const std::string& name, gic::SFeatureInfo& info)
{
    std::string silent;
    if (failIfSilent(silent))
        return false;
    try {
        EFeatureType type {};
        ArvGcFeatureNode* node = find(name, type);
        if (!node)
            return false;
        info = gic::SFeatureInfo();
        info.name = name;
        info.type = type;
        info.displayName = Text(arv_gc_feature_node_get_display_name(node));
        if (info.displayName.empty())
            info.displayName = name;
        info.description = Text(arv_gc_feature_node_get_description(node));
        if (info.description.empty())
            info.description = Text(arv_gc_feature_node_get_tooltip(node));
        info.visibility = Visibility(arv_gc_feature_node_get_visibility(node));
        info.access = Access(node, type);

        CGError error;
        switch (type) {
        case EFeatureType::Category:
            for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(node)); item;
                 item = item->next)
                info.children.push_back(Text(static_cast<const char*>(item->data)));
            break;
        case EFeatureType::Integer: {
            ArvGcInteger* integer = ARV_GC_INTEGER(node);
            info.unit = Text(arv_gc_integer_get_unit(integer));
            info.minimum = double(arv_gc_integer_get_min(integer, error.out()));
            error.clear();
            info.maximum = double(arv_gc_integer_get_max(integer, error.out()));
            error.clear();
            info.increment = double(arv_gc_integer_get_inc(integer, error.out()));
            break;
        }
        case EFeatureType::Float: {
            ArvGcFloat* real = ARV_GC_FLOAT(node);
            info.unit = Text(arv_gc_float_get_unit(real));
            info.minimum = arv_gc_float_get_min(real, error.out());
            error.clear();
            info.maximum = arv_gc_float_get_max(real, error.out());
            error.clear();
            const double increment = arv_gc_float_get_inc(real, error.out());
            // Aravis reports the smallest double when the camera gives no increment.
            info.increment = std::isfinite(increment) && increment > 1e-300 ? increment : 0.0;
            break;
        }
        case EFeatureType::Enumeration:
            for (const GSList* item = arv_gc_enumeration_get_entries(ARV_GC_ENUMERATION(node)); item;
                 item = item->next) {
                if (!ARV_IS_GC_ENUM_ENTRY(item->data))
                    continue;
                ArvGcFeatureNode* entryNode = ARV_GC_FEATURE_NODE(item->data);
                if (!IsAvailable(entryNode))
                    continue;
                gic::SEnumEntry entry;
                entry.name = Text(arv_gc_feature_node_get_name(entryNode));
                entry.displayName = Text(arv_gc_feature_node_get_display_name(entryNode));
                if (entry.displayName.empty())
                    entry.displayName = entry.name;
                error.clear();
                entry.value = arv_gc_enum_entry_get_value(ARV_GC_ENUM_ENTRY(entryNode), error.out());
                info.entries.push_back(std::move(entry));
            }
            break;
        case EFeatureType::Register:
            info.registerLength
                = std::int64_t(arv_gc_register_get_length(ARV_GC_REGISTER(node), error.out()));
            break;
        case EFeatureType::String:
        case EFeatureType::Boolean:
        case EFeatureType::Command:
            break;
        }
        if (error) {
            qCDebug(lcGenICam, "describing %s: %s", name.c_str(), error.message());
            if (noteSilence(error))
                return false;
        }
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcGenICam, "cannot describe %s: %s", name.c_str(), error.what());
        return false;
    }
}

bool CFeatureTree::read(const std::string& name, FeatureValue& value, std::string& error)
{
    if (failIfSilent(error))
        return false;
    try {
        EFeatureType type {};
        ArvGcFeatureNode* node = find(name, type);
        if (!node)
            return Fail(error, "The camera has no feature " + Quoted(name) + ".");
        const EAccessMode access = Access(node, type);
        if (type == EFeatureType::Category || type == EFeatureType::Command
            || access == EAccessMode::WriteOnly)
            return Fail(error, Quoted(name) + " cannot be read.");
        if (access == EAccessMode::NotAvailable)
            return Fail(error, Quoted(name) + " is not available now.");

        CGError aravis;
        switch (type) {
        case EFeatureType::Integer:
            value = std::int64_t(arv_gc_integer_get_value(ARV_GC_INTEGER(node), aravis.out()));
            break;
        case EFeatureType::Float:
            value = arv_gc_float_get_value(ARV_GC_FLOAT(node), aravis.out());
            break;
        case EFeatureType::Enumeration:
            value = Text(arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(node), aravis.out()));
            break;
        case EFeatureType::Boolean:
            value = bool(arv_gc_boolean_get_value(ARV_GC_BOOLEAN(node), aravis.out()));
            break;
        case EFeatureType::String: {
            // After a failed read Aravis may hand back its unterminated buffer: never look at it
            // then, and never past the register's length.
            const char* text = arv_gc_string_get_value(ARV_GC_STRING(node), aravis.out());
            if (aravis || !text)
                break;
            CGError lengthError;
            const gint64 maximum = arv_gc_string_get_max_length(ARV_GC_STRING(node), lengthError.out());
            value = maximum > 0 && !lengthError ? std::string(text, strnlen(text, std::size_t(maximum)))
                                                : std::string(text);
        } break;
        case EFeatureType::Register: {
            const guint64 length = arv_gc_register_get_length(ARV_GC_REGISTER(node), aravis.out());
            if (aravis)
                break;
            std::vector<std::uint8_t> bytes(length);
            arv_gc_register_get(ARV_GC_REGISTER(node), bytes.data(), length, aravis.out());
            value = std::move(bytes);
            break;
        }
        case EFeatureType::Category:
        case EFeatureType::Command:
            break;
        }
        noteSilence(aravis);
        return !Failed(aravis, "read", name, error);
    } catch (const std::exception& failure) {
        return Fail(error, "Cannot read " + Quoted(name) + ": " + failure.what());
    }
}

bool CFeatureTree::write(const std::string& name, const FeatureValue& value, std::string& error)
{
    if (failIfSilent(error))
        return false;
    try {
        EFeatureType type {};
        ArvGcFeatureNode* node = find(name, type);
        if (!node)
            return Fail(error, "The camera has no feature " + Quoted(name) + ".");
        switch (Access(node, type)) {
        case EAccessMode::NotAvailable:
            return Fail(error, Quoted(name) + " is not available now.");
        case EAccessMode::ReadOnly:
            return Fail(error, Quoted(name) + " is read-only.");
        case EAccessMode::WriteOnly:
        case EAccessMode::ReadWrite:
            break;
        }
        const std::string wrongType = "Cannot write " + Quoted(name) + ": the value has the wrong type.";

        CGError aravis;
        const auto failed = [&] {
            noteSilence(aravis);
            return Failed(aravis, "write", name, error);
        };
        switch (type) {
        case EFeatureType::Integer: {
            const std::optional<double> number = AsNumber(value);
            if (!number)
                return Fail(error, wrongType);
            ArvGcInteger* integer = ARV_GC_INTEGER(node);
            const std::int64_t minimum = arv_gc_integer_get_min(integer, aravis.out());
            const std::int64_t maximum = arv_gc_integer_get_max(integer, aravis.out());
            const std::int64_t increment = arv_gc_integer_get_inc(integer, aravis.out());
            if (failed() || !CheckRange(name, std::round(*number), double(minimum), double(maximum), error))
                return false;
            const auto rounded = std::int64_t(std::llround(*number));
            if (increment > 1 && (rounded - minimum) % increment != 0) {
                return Fail(error,
                    "Cannot write " + std::to_string(rounded) + " to " + Quoted(name) + ": it takes steps of "
                        + std::to_string(increment) + " from " + std::to_string(minimum) + ".");
            }
            arv_gc_integer_set_value(integer, rounded, aravis.out());
            break;
        }
        case EFeatureType::Float: {
            const std::optional<double> number = AsNumber(value);
            if (!number)
                return Fail(error, wrongType);
            ArvGcFloat* real = ARV_GC_FLOAT(node);
            const double minimum = arv_gc_float_get_min(real, aravis.out());
            const double maximum = arv_gc_float_get_max(real, aravis.out());
            if (failed() || !CheckRange(name, *number, minimum, maximum, error))
                return false;
            arv_gc_float_set_value(real, *number, aravis.out());
            break;
        }
        case EFeatureType::Enumeration: {
            const auto* text = std::get_if<std::string>(&value);
            if (!text)
                return Fail(error, wrongType);
            gic::SFeatureInfo info;
            describe(name, info);
            const bool offered = std::any_of(info.entries.begin(), info.entries.end(),
                [&](const gic::SEnumEntry& e) { return e.name == *text; });
            if (!offered)
                return Fail(error, Quoted(*text) + " is not a value " + Quoted(name) + " takes now.");
            arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(node), text->c_str(), aravis.out());
            break;
        }
        case EFeatureType::Boolean: {
            if (const auto* flag = std::get_if<bool>(&value))
                arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), *flag, aravis.out());
            else if (const auto* integer = std::get_if<std::int64_t>(&value);
                     integer && (*integer == 0 || *integer == 1))
                arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), *integer != 0, aravis.out());
            else
                return Fail(error, wrongType);
            break;
        }
        case EFeatureType::Command:
            arv_gc_command_execute(ARV_GC_COMMAND(node), aravis.out());
            break;
        case EFeatureType::String: {
            const auto* text = std::get_if<std::string>(&value);
            if (!text)
                return Fail(error, wrongType);
            const gint64 maximum = arv_gc_string_get_max_length(ARV_GC_STRING(node), aravis.out());
            if (!aravis && maximum > 0 && std::int64_t(text->size()) > maximum) {
                return Fail(error,
                    "Cannot write " + Quoted(name) + ": it holds at most " + std::to_string(maximum)
                        + " bytes.");
            }
            aravis.clear();
            arv_gc_string_set_value(ARV_GC_STRING(node), text->c_str(), aravis.out());
            break;
        }
        case EFeatureType::Register: {
            const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value);
            if (!bytes)
                return Fail(error, wrongType);
            const guint64 length = arv_gc_register_get_length(ARV_GC_REGISTER(node), aravis.out());
            if (failed())
                return false;
            if (bytes->size() > length) {
                return Fail(error,
                    "Cannot write " + Quoted(name) + ": it holds " + std::to_string(length) + " bytes, not "
                        + std::to_string(bytes->size()) + ".");
            }
            // The whole register is written; what the value leaves out becomes zero.
            std::vector<std::uint8_t> padded(*bytes);
            padded.resize(length, 0);
            arv_gc_register_set(ARV_GC_REGISTER(node), padded.data(), length, aravis.out());
            break;
        }
        case EFeatureType::Category:
            return Fail(error, Quoted(name) + " is a category, not a value.");
        }
        return !failed();
    } catch (const std::exception& failure) {
        return Fail(error, "Cannot write " + Quoted(name) + ": " + failure.what());
    }
}

void CFeatureTree::buildDependencies()
{
    m_dependenciesBuilt = true;
    ArvGc* genicam = m_device ? arv_device_get_genicam(m_device.get()) : nullptr;
    if (!genicam)
        return;

    // Every pointer from a node to another makes the first follow the second; a
    // selector's pSelected points the other way. Enumeration entries count as their
    // enumeration.
    struct SWalk
    {
        CFeatureTree& tree;
        void operator()(ArvDomNode* parent, const std::string& owner)
        {
            for (ArvDomNode* child = arv_dom_node_get_first_child(parent); child;
                 child = arv_dom_node_get_next_sibling(child)) {
                if (ARV_IS_GC_PROPERTY_NODE(child)) {
                    link(ARV_GC_PROPERTY_NODE(child), owner);
                } else if (ARV_IS_GC_FEATURE_NODE(child)) {
                    const std::string name = Text(arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(child)));
                    (*this)(child, ARV_IS_GC_ENUM_ENTRY(child) && !owner.empty() ? owner : name);
                } else {
                    (*this)(child, owner);
                }
            }
        }
        void link(ArvGcPropertyNode* property, const std::string& owner)
        {
            const ArvGcPropertyNodeType type = arv_gc_property_node_get_node_type(property);
            if (owner.empty() || type <= ARV_GC_PROPERTY_NODE_TYPE_P_UNKNONW
                || type == ARV_GC_PROPERTY_NODE_TYPE_P_PORT || type == ARV_GC_PROPERTY_NODE_TYPE_P_FEATURE)
                return;
            ArvGcNode* linked = arv_gc_property_node_get_linked_node(property);
            if (!linked || !ARV_IS_GC_FEATURE_NODE(linked))
                return;
            const std::string target = Text(arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(linked)));
            if (target.empty() || target == owner)
                return;
            if (type == ARV_GC_PROPERTY_NODE_TYPE_P_SELECTED) {
                tree.m_dependents[owner].insert(target);
            } else {
                tree.m_dependents[target].insert(owner);
                if (type == ARV_GC_PROPERTY_NODE_TYPE_P_VALUE)
                    tree.m_valueTargets[owner].push_back(target);
            }
        }
    };
    SWalk { *this }(ARV_DOM_NODE(genicam), std::string());

    std::deque<std::string> pending { rootCategory() };
    while (!pending.empty()) {
        const std::string name = pending.front();
        pending.pop_front();
        if (!m_listed.insert(name).second)
            continue;
        EFeatureType type {};
        ArvGcFeatureNode* node = find(name, type);
        if (node && type == EFeatureType::Category) {
            for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(node)); item;
                 item = item->next)
                pending.push_back(Text(static_cast<const char*>(item->data)));
        }
    }
}

std::vector<std::string> CFeatureTree::invalidatedBy(const std::string& name)
{
    std::vector<std::string> result;
    try {
        if (!m_dependenciesBuilt)
            buildDependencies();
        // What a write reaches: the feature and the nodes its value is stored through.
        std::set<std::string> written;
        std::deque<std::string> pending { name };
        while (!pending.empty()) {
            const std::string node = pending.front();
            pending.pop_front();
            if (!written.insert(node).second)
                continue;
            if (const auto targets = m_valueTargets.find(node); targets != m_valueTargets.end())
                pending.insert(pending.end(), targets->second.begin(), targets->second.end());
        }
        // Then everything that follows any of those, transitively.
        std::set<std::string> reached;
        pending.assign(written.begin(), written.end());
        while (!pending.empty()) {
            const std::string node = pending.front();
            pending.pop_front();
            const auto dependents = m_dependents.find(node);
            if (dependents == m_dependents.end())
                continue;
            for (const std::string& dependent : dependents->second) {
                if (!written.count(dependent) && reached.insert(dependent).second)
                    pending.push_back(dependent);
            }
        }
        // Only features a panel can show: those in the tree and the plain value nodes.
        for (const std::string& feature : reached) {
            EFeatureType type {};
            ArvGcFeatureNode* node = find(feature, type);
            if (!node || type == EFeatureType::Category)
                continue;
            const char* element = ElementName(node);
            const bool plain = std::strcmp(element, "Integer") == 0 || std::strcmp(element, "Float") == 0
                || std::strcmp(element, "Enumeration") == 0 || std::strcmp(element, "Boolean") == 0
                || std::strcmp(element, "Command") == 0 || std::strcmp(element, "String") == 0;
            if (plain || m_listed.count(feature))
                result.push_back(feature);
        }
    } catch (const std::exception& error) {
        qCWarning(lcGenICam, "cannot tell what %s invalidates: %s", name.c_str(), error.what());
    }
    return result;
}

} // namespace zelk::cam
