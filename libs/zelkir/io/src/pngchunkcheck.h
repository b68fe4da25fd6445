#pragma once

#include <QIODevice>

namespace zelkir {

/// Walks the chunk headers of a PNG file and tells whether every chunk lies within the
/// file, up to IEND. libpng allocates a chunk's declared length before reading it, so a
/// single damaged length field would otherwise cost gigabytes. Reads 8 bytes per chunk and
/// leaves the device at its start.
bool pngChunksFitFile(QIODevice& device);

} // namespace zelkir
