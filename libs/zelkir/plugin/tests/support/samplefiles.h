#pragma once

#include <QString>

/// Movies from the sample generator, written at build time; read them, never write them.
namespace SampleFiles {

/// A calibrated movie of `movieFrames` frames of `movieWidth` x `movieHeight` pixels.
inline QString moviePath()
{
    return QStringLiteral(ZELKIR_TEST_MOVIE);
}
constexpr int movieWidth = ZELKIR_TEST_MOVIE_WIDTH;
constexpr int movieHeight = ZELKIR_TEST_MOVIE_HEIGHT;
constexpr int movieFrames = ZELKIR_TEST_MOVIE_FRAMES;

/// 12 frames of 16 x 16 cycling through presets 0 to 3.
inline QString sequencingPath()
{
    return QStringLiteral(ZELKIR_TEST_SEQUENCING_MOVIE);
}

} // namespace SampleFiles

/// Copies the first `bytes` bytes of `from` to `to`.
bool writeTruncatedCopy(const QString& from, const QString& to, qint64 bytes);
