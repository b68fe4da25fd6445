#include "fitsstructure.h"

#include <QHash>

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

QByteArray valueText(const QByteArray& card)
{
    if (card.size() < 10 || card.at(8) != '=' || card.at(9) != ' ')
        return QByteArray();
    QByteArray value = card.mid(10);
    if (value.trimmed().startsWith('\''))
        return value.trimmed();
    const int comment = value.indexOf('/');
    if (comment >= 0)
        value.truncate(comment);
    return value.trimmed();
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
    bool ok = false;
    const qint64 value = found->toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

QString stringValue(const Header& header, const QByteArray& name)
{
    QByteArray text = header.values.value(name).trimmed();
    if (!text.startsWith('\''))
        return QString();
    text = text.mid(1);
    const int end = text.indexOf('\'');
    return QString::fromLatin1(end >= 0 ? text.left(end) : text).trimmed();
}

/// Checks one header and works out how many data bytes follow it; false when broken.
bool describe(const Header& header, int number, FitsHduSummary& hdu, qint64& dataBytes)
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
        hdu.compressedImage = header.values.value("ZIMAGE") == "T";
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
        if (!describe(*header, number, hdu, dataBytes))
            break;
        hdus.push_back(hdu);
        offset += header->blocks * Block + (dataBytes + Block - 1) / Block * Block;
    }
    return hdus;
}

} // namespace zelkir
