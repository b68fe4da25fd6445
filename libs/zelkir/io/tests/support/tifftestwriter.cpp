#include "tifftestwriter.h"

#include <QFile>

#include <tiffio.h>

bool writeTiffTestFile(const QString& path, const QList<TiffTestPage>& pages, QString* error)
{
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff) {
        if (error)
            *error = QStringLiteral("libtiff cannot create %1").arg(path);
        return false;
    }
    bool ok = true;
    for (const TiffTestPage& page : pages) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(page.width));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(page.height));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(page.bits));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK));
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(page.height));
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
        std::vector<uint8_t> row(std::size_t(page.width) * std::size_t(page.bits / 8));
        for (int y = 0; y < page.height && ok; ++y) {
            for (int x = 0; x < page.width; ++x) {
                const quint16 value = page.values[std::size_t(y) * std::size_t(page.width) + std::size_t(x)];
                if (page.bits == 8)
                    row[std::size_t(x)] = uint8_t(value);
                else
                    reinterpret_cast<uint16_t*>(row.data())[x] = value;
            }
            ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) == 1;
        }
        ok = ok && TIFFWriteDirectory(tiff) == 1;
    }
    TIFFClose(tiff);
    if (!ok && error)
        *error = QStringLiteral("libtiff failed writing %1").arg(path);
    return ok;
}
