#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

/// One header card for a test file: the value is a double, an integer, a bool or a string.
struct FitsTestCard
{
    QByteArray name;
    QVariant value;
    QByteArray comment = QByteArrayLiteral("");
};

/// A FITS file for the tests, written by cfitsio.
struct FitsTestCube
{
    int bitpix = 16;
    QList<long long> axes { 4, 3 };
    /// Stored (unscaled) values in FITS element order (first axis fastest, first row at the
    /// bottom); empty for all zeros.
    std::vector<double> stored;
    /// Written after the image's own header, so BSCALE and BZERO may be among them.
    QList<FitsTestCard> cards;
    /// An empty primary HDU, the image in an IMAGE extension.
    bool inExtension = false;
    /// cfitsio's tile compression (RICE_1, GZIP_1, ...), lossless; 0 for none.
    int compression = 0;
    /// ZTILEn; empty for cfitsio's row by row.
    QList<long> tile;
    /// A FRAMES table is written when either is non-empty.
    std::vector<double> times;
    std::vector<int> presets;
    /// Written as LONGSTR with CONTINUE cards when not empty.
    QString longString;
};

/// Writes `cube` to `path`, replacing any file there. False with a message on failure.
bool writeFitsTestFile(const QString& path, const FitsTestCube& cube, QString* error);

/// The element index in `FitsTestCube::stored` of pixel (x, y) of frame `frame`, with y
/// counted from the top of the picture as frames are.
std::size_t fitsElement(const FitsTestCube& cube, int x, int yFromTop, int frame);
