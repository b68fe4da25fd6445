#include "frameproducer.h"

namespace zelkir {

FrameProducer::~FrameProducer() = default;

QList<FrameInfoModel::Entry> FrameProducer::frameDetails(const RenderedFrame&) const
{
    return {};
}

} // namespace zelkir
