#include "fitstestwriter.h"

#include <QFile>

#include <zelkir/io/fitserrortext.h>

#include <fitsio.h>

namespace {

bool check(int status, QString* error, const char* what)
{
    if (status == 0)
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(QLatin1String(what), zelkir::fitsErrorText(status));
    return false;
}

int writeCard(fitsfile* file, const FitsTestCard& card, int* status)
{
    QByteArray name = card.name;
    QByteArray comment = card.comment;
    switch (card.value.typeId()) {
    case QMetaType::Bool: {
        int value = card.value.toBool() ? 1 : 0;
        return fits_update_key(file, TLOGICAL, name.data(), &value, comment.data(), status);
    }
    case QMetaType::Int:
    case QMetaType::LongLong: {
        LONGLONG value = card.value.toLongLong();
        return fits_update_key(file, TLONGLONG, name.data(), &value, comment.data(), status);
    }
    case QMetaType::Double: {
        double value = card.value.toDouble();
        return fits_update_key(file, TDOUBLE, name.data(), &value, comment.data(), status);
    }
    default: {
        QByteArray value = card.value.toString().toLatin1();
        return fits_update_key(file, TSTRING, name.data(), value.data(), comment.data(), status);
    }
    }
}

bool writeFrameTable(fitsfile* file, const FitsTestCube& cube, int* status)
{
    char ttypeTime[] = "TIME";
    char ttypePreset[] = "PRESET";
    char tformTime[] = "1D";
    char tformPreset[] = "1I";
    char unitTime[] = "s";
    char unitPreset[] = "";
    char* types[2];
    char* forms[2];
    char* units[2];
    int columns = 0;
    if (!cube.times.empty()) {
        types[columns] = ttypeTime;
        forms[columns] = tformTime;
        units[columns++] = unitTime;
    }
    if (!cube.presets.empty()) {
        types[columns] = ttypePreset;
        forms[columns] = tformPreset;
        units[columns++] = unitPreset;
    }
    char extname[] = "FRAMES";
    if (fits_create_tbl(file, BINARY_TBL, 0, columns, types, forms, units, extname, status))
        return false;
    int column = 1;
    if (!cube.times.empty()) {
        std::vector<double> times = cube.times;
        fits_write_col(file, TDOUBLE, column++, 1, 1, LONGLONG(times.size()), times.data(), status);
    }
    if (!cube.presets.empty()) {
        std::vector<int> presets = cube.presets;
        fits_write_col(file, TINT, column, 1, 1, LONGLONG(presets.size()), presets.data(), status);
    }
    return *status == 0;
}

} // namespace

std::size_t fitsElement(const FitsTestCube& cube, int x, int yFromTop, int frame)
{
    const auto width = std::size_t(cube.axes.at(0));
    const auto height = std::size_t(cube.axes.at(1));
    const std::size_t row = height - 1 - std::size_t(yFromTop);
    return std::size_t(x) + width * (row + height * std::size_t(frame));
}

bool writeFitsTestFile(const QString& path, const FitsTestCube& cube, QString* error)
{
    QFile::remove(path);
    fitsfile* file = nullptr;
    int status = 0;
    if (!check(fits_create_diskfile(&file, QFile::encodeName(path).constData(), &status), error, "create"))
        return false;
    std::vector<LONGLONG> axes(cube.axes.begin(), cube.axes.end());
    if (cube.inExtension)
        fits_create_img(file, BYTE_IMG, 0, nullptr, &status);
    if (cube.compression != 0) {
        fits_set_compression_type(file, cube.compression, &status);
        // Floating-point data stay exact instead of being quantised.
        fits_set_quantize_level(file, 0.0f, &status);
        std::vector<long> tile(cube.tile.begin(), cube.tile.end());
        if (!tile.empty())
            fits_set_tile_dim(file, int(tile.size()), tile.data(), &status);
    }
    fits_create_imgll(file, cube.bitpix, int(axes.size()), axes.data(), &status);
    for (const FitsTestCard& card : cube.cards)
        writeCard(file, card, &status);
    if (!cube.longString.isEmpty()) {
        QByteArray name = "LONGSTR";
        QByteArray value = cube.longString.toLatin1();
        fits_write_key_longstr(file, name.data(), value.data(), "a long text", &status);
    }
    fits_write_comment(file, "Written by the zelkir_io tests.", &status);
    fits_write_history(file, "Nothing happened to this file.", &status);
    if (!check(status, error, "header")) {
        fits_close_file(file, &status);
        return false;
    }
    LONGLONG elements = 1;
    for (LONGLONG axis : axes)
        elements *= axis;
    std::vector<double> stored = cube.stored;
    stored.resize(std::size_t(elements), 0.0);
    // The values given are the stored ones, whatever BSCALE and BZERO say.
    if (cube.compression == 0) {
        fits_set_bscale(file, 1.0, 0.0, &status);
        fits_write_img(file, TDOUBLE, 1, elements, stored.data(), &status);
    } else {
        // cfitsio compresses only from the image's own type.
        auto writeAs = [&](auto sample, int type) {
            std::vector<decltype(sample)> whole(stored.begin(), stored.end());
            fits_write_img(file, type, 1, elements, whole.data(), &status);
        };
        switch (cube.bitpix) {
        case BYTE_IMG: writeAs((unsigned char)0, TBYTE); break;
        case SHORT_IMG: writeAs(short(0), TSHORT); break;
        case LONG_IMG: writeAs(int(0), TINT); break;
        case FLOAT_IMG: writeAs(0.0f, TFLOAT); break;
        default: writeAs(0.0, TDOUBLE); break;
        }
    }
    if ((!cube.times.empty() || !cube.presets.empty()) && !writeFrameTable(file, cube, &status)) {
        check(status, error, "frame table");
        status = 0;
        fits_close_file(file, &status);
        return false;
    }
    const bool written = check(status, error, "data");
    status = 0;
    fits_close_file(file, &status);
    return written && check(status, error, "close");
}
