#include "frameproducer.h"

namespace zelkir {

FrameProducer::~FrameProducer() = default;

} // namespace zelkir
