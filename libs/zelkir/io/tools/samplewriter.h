#pragma once

#include "samplesettings.h"

#include <QString>

#include <vector>

#include <fitsio.h>

/// Writes the sample cube with cfitsio: 16-bit unsigned counts (BITPIX 16, BZERO 32768),
/// the header cards of a radiometric recording, and the FRAMES table of times and presets.
class SampleWriter
{
public:
    SampleWriter() = default;
    ~SampleWriter();
    SampleWriter(const SampleWriter&) = delete;
    SampleWriter& operator=(const SampleWriter&) = delete;

    bool create(const SampleSettings& settings, QString* error);
    /// `counts` top row first, as the camera delivers them.
    bool writeFrame(int index, const std::vector<quint16>& counts, QString* error);
    bool finish(const std::vector<double>& times, const std::vector<int>& presets, QString* error);

private:
    bool check(QString* error, const char* what);
    void writeHeader(const SampleSettings& settings);

    fitsfile* m_file = nullptr;
    int m_status = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_presetColumn = false;
    std::vector<quint16> m_bottomUp;
};
