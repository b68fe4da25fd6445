#pragma once

#include "tnamedfeature.h"

namespace zelk::cam {

/// A feature of a kind whose value this library does not expose (float,
/// enumeration, string, command, ...): it exists, and narrowing it gives null.
class CFeature final : public TNamedFeature<gic::IFeature>
{
public:
    using TNamedFeature::TNamedFeature;
};

} // namespace zelk::cam
