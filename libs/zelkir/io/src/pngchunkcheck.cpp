#include "pngchunkcheck.h"

#include <QtEndian>

namespace zelkir {

namespace {

constexpr qint64 SignatureBytes = 8;
constexpr qint64 ChunkOverhead = 12;
constexpr qint64 MaxChunkLength = 0x7fffffff;
// Real files have a few dozen chunks, or some thousands of small IDATs.
constexpr int MaxChunks = 1 << 20;

} // namespace

bool pngChunksFitFile(QIODevice& device)
{
    const qint64 size = device.size();
    qint64 offset = SignatureBytes;
    bool sound = false;
    for (int chunk = 0; chunk < MaxChunks && offset + ChunkOverhead <= size; ++chunk) {
        if (!device.seek(offset))
            break;
        const QByteArray header = device.read(8);
        if (header.size() != 8)
            break;
        const qint64 length = qFromBigEndian<quint32>(header.constData());
        if (length > MaxChunkLength || offset + ChunkOverhead + length > size)
            break;
        if (header.mid(4, 4) == "IEND") {
            sound = true;
            break;
        }
        offset += ChunkOverhead + length;
    }
    device.seek(0);
    return sound;
}

} // namespace zelkir
