#pragma once

#include "calibrationparameters.h"
#include "countrange.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace zelkir {

/// One header card of a recording that the caller adds, such as DATE-OBS or the camera's
/// serial number.
struct RecordingKeyword
{
    /// A FITS keyword name: 1 to 8 of A-Z, 0-9, '-' and '_'.
    QString name;
    /// A bool (written T or F), a whole number, a finite double or a string. Characters
    /// a FITS header cannot hold (beyond printable ASCII) become '?'; strings of any
    /// length are kept, long ones continued on further cards.
    QVariant value;
    QString comment;
};

/// What a recording says about itself besides its frames.
struct RecordingHeader
{
    /// Pixels per frame, each 1 to 65535.
    int width = 0;
    int height = 0;
    /// The counts the camera can produce (DATAMIN, DATAMAX): 0..16383 for 14 bits.
    CountRange countRange;
    /// Written as the keywords the file player reads back; parts left empty, and values
    /// that are not finite, are left out.
    CalibrationParameters calibration;
    /// Nominal frames per second (FRMRATE); not written unless positive and finite.
    double frameRate = 0.0;
    /// Gives the frame table a PRESET column, the camera preset of each frame.
    bool framePresets = false;
    /// Written first, in this order. Names the writer writes itself (the image layout,
    /// BZERO, ROWORDER, DATAMIN/DATAMAX, FRMRATE, the calibration) are refused.
    QList<RecordingKeyword> keywords;
};

} // namespace zelkir
