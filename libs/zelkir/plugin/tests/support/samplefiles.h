#pragma once

#include <QString>
#include <QStringList>

/// Writes a sample movie with the project's generator into `path`: `width` x `height`
/// pixels, `frames` frames, plus any further generator options. False on failure, with
/// the generator's output logged.
bool writeSampleMovie(const QString& path, int width, int height, int frames, const QStringList& extra = {});

/// Copies the first `bytes` bytes of `from` to `to`.
bool writeTruncatedCopy(const QString& from, const QString& to, qint64 bytes);
