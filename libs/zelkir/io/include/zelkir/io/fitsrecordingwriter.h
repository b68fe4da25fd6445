#pragma once

#include "recordingheader.h"

#include <QString>

#include <memory>
#include <vector>

namespace zelkir {

/// Writes a FITS movie that the file player plays: frames of 16-bit counts stored as
/// BITPIX 16 with BZERO 32768, the bottom row first (ROWORDER = 'BOTTOM-UP', the FITS
/// convention other FITS tools show upright), the header's keywords, and a FRAMES table
/// of frame times (and presets).
///
/// The file is written under a temporary name beside `path` and renamed to `path` only
/// by finish(); a writer destroyed or failed before that deletes its temporary file, so
/// a crash, a full disk or a lost camera never leaves a partial file under the final
/// name. Appending a frame writes that frame only; the frame count in the header and the
/// frame table are written by finish().
///
/// Threading: a writer keeps no global state, so several writers may work at once, each
/// used by one thread at a time (cfitsio, as Debian builds it, is reentrant).
class FitsRecordingWriter
{
public:
    FitsRecordingWriter();
    /// Deletes the temporary file of an unfinished recording.
    ~FitsRecordingWriter();
    FitsRecordingWriter(const FitsRecordingWriter&) = delete;
    FitsRecordingWriter& operator=(const FitsRecordingWriter&) = delete;

    /// Starts a recording that finish() will save as `path`, replacing a file there. False
    /// with a sentence for the user in `*error` (when not null) if the header is invalid
    /// or the folder is missing or not writable. A writer that is recording is refused.
    bool create(const QString& path, const RecordingHeader& header, QString* error);

    /// Appends one frame: `counts` holds width * height values, the top row first, as a
    /// camera sends them. `seconds` is its time since the first frame (NaN when unknown);
    /// `preset` (0..7) goes into the frame table when the header asks for it. False with
    /// a sentence in `*error` if no recording is open, the frame has the wrong size, or
    /// the disk refuses the data; after a write failure the recording is lost and its
    /// temporary file deleted.
    bool append(const std::vector<quint16>& counts, double seconds, QString* error, int preset = 0);

    /// Writes the frame count and the frame table, and renames the file to its final
    /// name. False with a sentence in `*error` if nothing was appended or writing fails;
    /// the temporary file is deleted then. Either way the writer is closed afterwards.
    bool finish(QString* error);

    bool isRecording() const;
    /// Frames appended so far.
    int frameCount() const;

    /// A recording of one frame at time 0, written at once.
    static bool writeSnapshot(const QString& path, const RecordingHeader& header,
        const std::vector<quint16>& counts, QString* error);

private:
    struct Recording;
    std::unique_ptr<Recording> m_recording;
};

} // namespace zelkir
