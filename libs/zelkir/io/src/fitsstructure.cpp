#include "fitsstructure.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <optional>

namespace zelkir {

namespace {

constexpr qint64 Block = 2880;
constexpr int Card = 80;
constexpr int CardsPerBlock = Block / Card;
// Far beyond real files; bounds the work a corrupt one can cause.
constexpr int MaxHdus = 64;
constexpr int MaxHeaderBlocks = 1000;
constexpr qint64 MaxAxes = 999;
constexpr qint64 MaxTableFields = 999;
constexpr qint64 MaxDataBytes = qint64(1) << 50;

/// The cards of one header: names in order, and the first value of each name.
struct Header
{
    std::vector<QByteArray> names;
    QHash<QByteArray, QByteArray> values;
    qint64 blocks = 0;
};

/// Without surrounding blanks; other white space (a carriage return) stays, so the value
/// is refused here as cfitsio refuses it.
QByteArray withoutBlanks(QByteArray text)
{
    while (text.startsWith(' '))
        text.remove(0, 1);
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

QByteArray valueText(const QByteArray& card)
{
    if (card.size() < 10 || card.at(8) != '=' || card.at(9) != ' ')
        return QByteArray();
    QByteArray value = card.mid(10);
    if (withoutBlanks(value).startsWith('\''))
        return withoutBlanks(value);
    const int comment = value.indexOf('/');
    if (comment >= 0)
        value.truncate(comment);
    return withoutBlanks(value);
}

/// Keyword names are printable ASCII; anything else there means the header is damaged.
/// Values and comments are left alone: some writers put degree signs in them.
bool printable(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 32 && c <= 126; });
}

std::optional<Header> readHeader(const FitsByteReader& read, qint64 offset)
{
    Header header;
    for (int block = 0; block < MaxHeaderBlocks; ++block) {
        const QByteArray bytes = read(offset + block * Block, Block);
        if (bytes.size() < Block)
            return std::nullopt;
        header.blocks = block + 1;
        for (int card = 0; card < CardsPerBlock; ++card) {
            const QByteArray text = bytes.mid(card * Card, Card);
            if (!printable(text.left(8)))
                return std::nullopt;
            const QByteArray name = text.left(8).trimmed();
            // cfitsio reads a name from the first column: "  END" is not the end to it.
            if (!name.isEmpty() && text.startsWith(' '))
                return std::nullopt;
            if (name == "END")
                return header;
            header.names.push_back(name);
            if (!name.isEmpty() && !header.values.contains(name))
                header.values.insert(name, valueText(text));
        }
    }
    return std::nullopt;
}

/// The standard puts the structural cards first, in a fixed order, and readers such as
/// cfitsio take them by position: they must be exactly where expected.
bool inOrder(const Header& header, const std::vector<QByteArray>& expected)
{
    if (header.names.size() < expected.size())
        return false;
    return std::equal(expected.begin(), expected.end(), header.names.begin());
}

std::optional<qint64> integer(const Header& header, const QByteArray& name, qint64 minimum, qint64 maximum)
{
    const auto found = header.values.constFind(name);
    if (found == header.values.constEnd())
        return std::nullopt;
    bool ok = printable(*found);
    const qint64 value = ok ? found->toLongLong(&ok) : 0;
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

/// A quoted value without its quotes and trailing blanks; leading blanks stay, as cfitsio
/// keeps them.
QByteArray rawString(const Header& header, const QByteArray& name)
{
    QByteArray text = header.values.value(name).trimmed();
    if (!text.startsWith('\''))
        return QByteArray();
    text = text.mid(1);
    const int end = text.indexOf('\'');
    if (end >= 0)
        text.truncate(end);
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

QString stringValue(const Header& header, const QByteArray& name)
{
    return QString::fromLatin1(rawString(header, name)).trimmed();
}

// Compressed images: the limits of cfitsio's decompressor, and beyond any real tiling.
constexpr qint64 MaxCompressedAxes = 6;
constexpr qint64 MaxTilePixels = qint64(1) << 24;
constexpr qint64 DitherSeeds = 10000;

/// The bytes a binary table column takes per row, from its TFORM; also whether it holds
/// heap descriptors and the size of their elements. -1 when the form is not valid.
qint64 columnWidth(const QByteArray& form, FitsTileTable::DataColumn* descriptor)
{
    int at = 0;
    while (at < form.size() && form.at(at) >= '0' && form.at(at) <= '9')
        ++at;
    if (at > 9 || at >= form.size())
        return -1;
    const qint64 repeat = at == 0 ? 1 : form.left(at).toLongLong();
    const char type = form.at(at);
    const QByteArray rest = form.mid(at + 1);
    auto elementBytes = [](char code) -> int {
        switch (code) {
        case 'L': case 'B': case 'A': return 1;
        case 'I': return 2;
        case 'J': case 'E': return 4;
        case 'K': case 'D': case 'C': return 8;
        case 'M': return 16;
        default: return 0;
        }
    };
    if (type == 'P' || type == 'Q') {
        // cfitsio tells the two kinds apart by the first two characters alone.
        if (form.left(at) != "" && form.left(at) != "1")
            return -1;
        if (rest.isEmpty() || elementBytes(rest.at(0)) == 0)
            return -1;
        const QByteArray maximum = rest.mid(1);
        if (!maximum.isEmpty() && !(maximum.startsWith('(') && maximum.endsWith(')')))
            return -1;
        if (descriptor) {
            descriptor->wide = type == 'Q';
            descriptor->elementBytes = elementBytes(rest.at(0));
        }
        return type == 'Q' ? 16 : 8;
    }
    if (descriptor)
        descriptor->elementBytes = 0;
    if (type == 'X')
        return rest.isEmpty() ? (repeat + 7) / 8 : -1;
    const int bytes = elementBytes(type);
    if (bytes == 0 || (!rest.isEmpty() && type != 'A'))
        return -1;
    return repeat * bytes;
}

/// Checks the header of a compressed image against what cfitsio will do with it.
std::shared_ptr<FitsTileTable> describeTiles(const Header& header, qint64 dataStart, qint64 rowBytes,
    qint64 rows, qint64 pcount, QString& damage)
{
    auto table = std::make_shared<FitsTileTable>();
    table->rowBytes = rowBytes;
    table->rows = rows;
    table->dataStart = dataStart;
    // cfitsio looks keywords up from wherever it last read, so a repeated one could
    // mean different things to it and to this check.
    for (const QByteArray& name : header.names) {
        if ((name.startsWith('Z') || name.startsWith('T'))
            && std::count(header.names.begin(), header.names.end(), name) > 1) {
            damage = QStringLiteral("the keyword %1 appears twice").arg(QString::fromLatin1(name));
            return nullptr;
        }
    }
    const QString type = stringValue(header, "ZCMPTYPE");
    static const QStringList known { QStringLiteral("RICE_1"), QStringLiteral("RICE_ONE"),
        QStringLiteral("GZIP_1"), QStringLiteral("GZIP_2"), QStringLiteral("HCOMPRESS_1"),
        QStringLiteral("PLIO_1"), QStringLiteral("NOCOMPRESS") };
    if (!known.contains(type)) {
        damage = QStringLiteral("its compression type '%1' is unknown").arg(type);
        return nullptr;
    }
    const std::optional<qint64> bitpix = integer(header, "ZBITPIX", -64, 64);
    if (!bitpix || (*bitpix != 8 && *bitpix != 16 && *bitpix != 32 && *bitpix != 64 && *bitpix != -32
            && *bitpix != -64)) {
        damage = QStringLiteral("its ZBITPIX is invalid");
        return nullptr;
    }
    table->bitpix = int(*bitpix);
    const std::optional<qint64> axes = integer(header, "ZNAXIS", 1, MaxCompressedAxes);
    if (!axes) {
        damage = QStringLiteral("its ZNAXIS is missing or outside 1 to %1").arg(MaxCompressedAxes);
        return nullptr;
    }
    qint64 tiles = 1;
    qint64 tilePixels = 1;
    for (int axis = 1; axis <= *axes; ++axis) {
        const QByteArray number = QByteArray::number(axis);
        const std::optional<qint64> length = integer(header, "ZNAXIS" + number, 1, std::numeric_limits<int>::max());
        if (!length) {
            damage = QStringLiteral("its ZNAXIS%1 is missing or invalid").arg(axis);
            return nullptr;
        }
        std::optional<qint64> tile = axis == 1 ? *length : 1;
        if (header.values.contains("ZTILE" + number))
            tile = integer(header, "ZTILE" + number, 1, *length);
        if (!tile) {
            damage = QStringLiteral("its ZTILE%1 is outside 1 to ZNAXIS%1").arg(axis);
            return nullptr;
        }
        table->axes.push_back(*length);
        table->tile.push_back(*tile);
        tiles *= (*length + *tile - 1) / *tile;
        tilePixels *= *tile;
        if (tiles > rows || tilePixels > MaxTilePixels) {
            damage = QStringLiteral("its tiles are too many or too large");
            return nullptr;
        }
    }
    if (tiles != rows) {
        damage = QStringLiteral("its table has %1 rows for %2 tiles").arg(rows).arg(tiles);
        return nullptr;
    }
    if (type.startsWith(QLatin1String("RICE"))) {
        // The block size steps the decoder's loop; cfitsio swaps it with BYTEPIX when small.
        // Old files name their second parameter NOISEBIT, and have four bytes per pixel.
        const bool oldFormat = stringValue(header, "ZNAME2") == QLatin1String("NOISEBIT");
        const std::optional<qint64> block = integer(header, "ZVAL1", 16, 32);
        const std::optional<qint64> bytes = integer(header, "ZVAL2", 1, 8);
        if (!block || (*block != 16 && *block != 32)
            || (!oldFormat && header.values.contains("ZVAL2") && (!bytes || (*bytes & (*bytes - 1)) != 0))) {
            damage = QStringLiteral("its Rice parameters are invalid");
            return nullptr;
        }
        table->riceBlock = int(*block);
        table->riceBytes = oldFormat || !bytes ? 4 : int(*bytes);
    }
    table->plio = type == QLatin1String("PLIO_1");
    table->hcompress = type == QLatin1String("HCOMPRESS_1");
    table->gzip = type.startsWith(QLatin1String("GZIP"));
    if (type == QLatin1String("HCOMPRESS_1")) {
        // cfitsio needs the scale; without it, its memory files still report the move to
        // this HDU as a success, with the image half set up.
        bool number = printable(header.values.value("ZVAL1"));
        if (number)
            header.values.value("ZVAL1").toDouble(&number);
        if (!number) {
            damage = QStringLiteral("its H-compress scale is invalid");
            return nullptr;
        }
    }
    if (header.values.contains("ZDITHER0") && !integer(header, "ZDITHER0", 1, DitherSeeds)) {
        // cfitsio indexes its table of random numbers with it.
        damage = QStringLiteral("its ZDITHER0 is outside 1 to %1").arg(DitherSeeds);
        return nullptr;
    }

    const qint64 fields = integer(header, "TFIELDS", 0, MaxTableFields).value_or(0);
    qint64 offset = 0;
    for (int field = 1; field <= fields; ++field) {
        const QByteArray number = QByteArray::number(field);
        FitsTileTable::DataColumn column;
        const qint64 width = columnWidth(rawString(header, "TFORM" + number), &column);
        if (width < 0 || width > rowBytes - offset) {
            damage = QStringLiteral("its column %1 has an invalid TFORM").arg(field);
            return nullptr;
        }
        column.present = true;
        column.offset = offset;
        offset += width;
        const QString name = stringValue(header, "TTYPE" + number).toUpper();
        FitsTileTable::DataColumn* target = name == QLatin1String("COMPRESSED_DATA") ? &table->compressed
            : name == QLatin1String("GZIP_COMPRESSED_DATA")                         ? &table->gzipCompressed
            : name == QLatin1String("UNCOMPRESSED_DATA")                            ? &table->uncompressed
                                                                                     : nullptr;
        if (target) {
            // cfitsio reads the words of a tile as the coder wants them, converting any
            // other column type; only the coder's own type makes the walk above exact.
            const int wordBytes = target == &table->compressed ? (table->plio ? 2 : 1)
                : target == &table->gzipCompressed            ? 1
                                                               : column.elementBytes;
            if (target->present || column.elementBytes == 0 || column.elementBytes != wordBytes) {
                damage = QStringLiteral("its column %1 is not a single heap descriptor").arg(name);
                return nullptr;
            }
            *target = column;
        }
    }
    if (offset != rowBytes) {
        damage = QStringLiteral("its columns do not add up to NAXIS1");
        return nullptr;
    }
    if (!table->compressed.present) {
        damage = QStringLiteral("it has no COMPRESSED_DATA column");
        return nullptr;
    }
    const qint64 tableBytes = rowBytes * rows;
    const qint64 heapOffset = header.values.contains("THEAP")
        ? integer(header, "THEAP", tableBytes, tableBytes + pcount).value_or(-1)
        : tableBytes;
    if (heapOffset < 0) {
        damage = QStringLiteral("its THEAP lies outside the data");
        return nullptr;
    }
    table->heapStart = dataStart + heapOffset;
    table->heapBytes = tableBytes + pcount - heapOffset;
    return table;
}

/// Checks one header and works out how many data bytes follow it; false when broken.
bool describe(const Header& header, int number, qint64 dataStart, FitsHduSummary& hdu, qint64& dataBytes)
{
    hdu.number = number;
    if (number == 1) {
        if (header.values.value("SIMPLE") != "T")
            return false;
    } else {
        const QString type = stringValue(header, "XTENSION");
        if (type == QLatin1String("IMAGE"))
            hdu.kind = FitsHduSummary::Kind::Image;
        else if (type == QLatin1String("BINTABLE") || type == QLatin1String("TABLE"))
            hdu.kind = FitsHduSummary::Kind::Table;
        else
            return false;
    }
    const std::optional<qint64> bitpix = integer(header, "BITPIX", -64, 64);
    const std::optional<qint64> axes = integer(header, "NAXIS", 0, MaxAxes);
    if (!bitpix || !axes
        || (*bitpix != 8 && *bitpix != 16 && *bitpix != 32 && *bitpix != 64 && *bitpix != -32
            && *bitpix != -64))
        return false;
    hdu.axes = int(*axes);
    std::vector<QByteArray> order { number == 1 ? "SIMPLE" : "XTENSION", "BITPIX", "NAXIS" };
    for (int axis = 1; axis <= *axes; ++axis)
        order.push_back("NAXIS" + QByteArray::number(axis));
    if (number != 1)
        order.insert(order.end(), { "PCOUNT", "GCOUNT" });
    if (hdu.kind == FitsHduSummary::Kind::Table)
        order.push_back("TFIELDS");
    if (!inOrder(header, order))
        return false;
    qint64 elements = *axes > 0 ? 1 : 0;
    for (int axis = 1; axis <= *axes; ++axis) {
        const std::optional<qint64> length
            = integer(header, "NAXIS" + QByteArray::number(axis), 0, std::numeric_limits<qint64>::max());
        if (!length || (*length > 0 && elements > MaxDataBytes / *length))
            return false;
        elements *= *length;
    }
    const qint64 pcount = integer(header, "PCOUNT", 0, MaxDataBytes).value_or(number == 1 ? 0 : -1);
    const qint64 gcount = integer(header, "GCOUNT", 1, 1 << 20).value_or(number == 1 ? 1 : -1);
    if (pcount < 0 || gcount < 1)
        return false;
    if (hdu.kind == FitsHduSummary::Kind::Table) {
        if (!integer(header, "TFIELDS", 0, MaxTableFields))
            return false;
        // cfitsio takes any value beginning with T.
        hdu.compressedImage = header.values.value("ZIMAGE").startsWith('T');
        if (hdu.compressedImage) {
            if (*axes != 2 || *bitpix != 8 || gcount != 1) {
                hdu.damage = QStringLiteral("its table is not a plain binary table");
            } else {
                hdu.tiles = describeTiles(header, dataStart, integer(header, "NAXIS1", 0, MaxDataBytes).value_or(0),
                    integer(header, "NAXIS2", 0, MaxDataBytes).value_or(0), pcount, hdu.damage);
            }
        }
    }
    hdu.extname = stringValue(header, "EXTNAME");
    const qint64 bytesPerValue = (*bitpix < 0 ? -*bitpix : *bitpix) / 8;
    if (elements > (MaxDataBytes - pcount) / bytesPerValue / gcount)
        return false;
    dataBytes = bytesPerValue * gcount * (pcount + elements);
    return true;
}

} // namespace

std::vector<FitsHduSummary> FitsStructure::scan(const FitsByteReader& read)
{
    std::vector<FitsHduSummary> hdus;
    qint64 offset = 0;
    for (int number = 1; number <= MaxHdus; ++number) {
        const std::optional<Header> header = readHeader(read, offset);
        if (!header)
            break;
        FitsHduSummary hdu;
        qint64 dataBytes = 0;
        if (!describe(*header, number, offset + header->blocks * Block, hdu, dataBytes))
            break;
        hdus.push_back(hdu);
        if (!hdu.damage.isEmpty())
            break;
        offset += header->blocks * Block + (dataBytes + Block - 1) / Block * Block;
    }
    return hdus;
}

} // namespace zelkir
