#pragma once

#include "samplesettings.h"

#include <zelkir/io/recordingheader.h>

/// The header of a sample recording: the camera's identity, calibration and preset use.
zelkir::RecordingHeader sampleHeader(const SampleSettings& settings);
