#pragma once

#include <zelkir/io/framesource.h>

namespace zelkir {

/// Everything a viewer would ask of a freshly opened source: metadata, a few frames,
/// times, presets and units. Frames larger than `maxPixels` are skipped so each run
/// stays fast.
void exerciseSource(FrameSource& source, qint64 maxPixels = 1 << 20);

/// Keeps Qt's and the readers' warnings about broken input off the fuzzer's output.
void silenceQtMessages();

} // namespace zelkir
