#include "regionlistmodel.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

// Colours for a palette catalogue without a "roi" list.
const QList<QColor> fallbackColors {
    QColor(255, 0, 0),
    QColor(0, 255, 0),
    QColor(0, 0, 255),
    QColor(255, 255, 0),
    QColor(255, 0, 255),
    QColor(0, 255, 255),
    QColor(255, 128, 0),
    QColor(128, 0, 255),
    QColor(0, 128, 0),
    QColor(128, 0, 0),
    QColor(0, 0, 128),
    QColor(128, 128, 0),
    QColor(128, 0, 128),
    QColor(0, 128, 128),
    QColor(255, 255, 255),
    QColor(0, 0, 0),
};

bool finite(qreal x1, qreal y1, qreal x2, qreal y2)
{
    return std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
}

QVariant figure(double value)
{
    return value;
}

} // namespace

RegionListModel::RegionListModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_colors(fallbackColors)
{
}

int RegionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QHash<int, QByteArray> RegionListModel::roleNames() const
{
    return {
        { KindRole, "kind" },
        { NumberRole, "number" },
        { NameRole, "name" },
        { ColorRole, "color" },
        { X1Role, "x1" },
        { Y1Role, "y1" },
        { X2Role, "x2" },
        { Y2Role, "y2" },
        { MinimumRole, "minimum" },
        { MaximumRole, "maximum" },
        { MeanRole, "mean" },
        { DeviationRole, "deviation" },
        { MinimumTextRole, "minimumText" },
        { MaximumTextRole, "maximumText" },
        { MeanTextRole, "meanText" },
        { DeviationTextRole, "deviationText" },
    };
}

QVariant RegionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const Region& region = m_regions[std::size_t(index.row())];
    const RegionStatistics& s = region.statistics;
    const auto text = [this](double value) { return m_format ? m_format(value) : QString(); };
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return name(index.row());
    case KindRole:
        return kindName(region.geometry.kind);
    case NumberRole:
        return region.number;
    case ColorRole:
        return color(index.row());
    case X1Role:
        return region.geometry.p1.x();
    case Y1Role:
        return region.geometry.p1.y();
    case X2Role:
        return region.geometry.p2.x();
    case Y2Role:
        return region.geometry.p2.y();
    case MinimumRole:
        return figure(s.minimum);
    case MaximumRole:
        return figure(s.maximum);
    case MeanRole:
        return figure(s.mean);
    case DeviationRole:
        return figure(s.deviation);
    case MinimumTextRole:
        return text(s.minimum);
    case MaximumTextRole:
        return text(s.maximum);
    case MeanTextRole:
        return text(s.mean);
    case DeviationTextRole:
        return text(s.deviation);
    default:
        break;
    }
    return QVariant();
}

QString RegionListModel::kindName(RegionKind kind)
{
    switch (kind) {
    case RegionKind::Spot:
        return QStringLiteral("spot");
    case RegionKind::Ellipse:
        return QStringLiteral("ellipse");
    case RegionKind::Line:
        return QStringLiteral("line");
    case RegionKind::Box:
        break;
    }
    return QStringLiteral("box");
}

bool RegionListModel::kindFromName(const QString& name, RegionKind* kind)
{
    for (RegionKind k : { RegionKind::Spot, RegionKind::Box, RegionKind::Ellipse, RegionKind::Line }) {
        if (name == kindName(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QString RegionListModel::name(int row) const
{
    if (row < 0 || row >= count())
        return QString();
    const Region& region = m_regions[std::size_t(row)];
    switch (region.geometry.kind) {
    case RegionKind::Spot:
        return tr("Spot %1").arg(region.number);
    case RegionKind::Ellipse:
        return tr("Ellipse %1").arg(region.number);
    case RegionKind::Line:
        return tr("Line %1").arg(region.number);
    case RegionKind::Box:
        break;
    }
    return tr("Box %1").arg(region.number);
}

QColor RegionListModel::color(int row) const
{
    const QList<QColor>& colors = m_colors.isEmpty() ? fallbackColors : m_colors;
    return row < 0 ? QColor() : colors.at(row % std::min<qsizetype>(16, colors.size()));
}

void RegionListModel::setColors(const QList<QColor>& colors)
{
    if (colors == m_colors)
        return;
    m_colors = colors;
    if (count() > 0)
        Q_EMIT dataChanged(index(0), index(count() - 1), { ColorRole });
    Q_EMIT geometryChanged();
}

void RegionListModel::setFormatter(std::function<QString(double)> format)
{
    m_format = std::move(format);
    if (count() > 0)
        emitStatisticsChanged(0, count() - 1);
}

void RegionListModel::setSelected(int row)
{
    if (row < 0 || row >= count())
        row = -1;
    if (row == m_selected)
        return;
    m_selected = row;
    Q_EMIT selectedChanged();
}

int RegionListModel::freeNumber(RegionKind kind) const
{
    for (int number = 1;; ++number) {
        const bool used = std::any_of(m_regions.begin(), m_regions.end(),
            [&](const Region& r) { return r.geometry.kind == kind && r.number == number; });
        if (!used)
            return number;
    }
}

RegionGeometry RegionListModel::clamped(RegionGeometry geometry) const
{
    if (m_imageSize.isEmpty())
        return geometry;
    const double w = m_imageSize.width();
    const double h = m_imageSize.height();
    const auto clampPoint = [&](QPointF p) {
        // Just inside the far edges, so that the point still lies on the last pixel.
        return QPointF(
            std::clamp(p.x(), 0.0, std::nextafter(w, 0.0)), std::clamp(p.y(), 0.0, std::nextafter(h, 0.0)));
    };
    switch (geometry.kind) {
    case RegionKind::Spot:
    case RegionKind::Line:
        // Both ends on the image: a line's profile then holds only pixels of the image.
        geometry.p1 = clampPoint(geometry.p1);
        geometry.p2 = clampPoint(geometry.p2);
        break;
    case RegionKind::Box:
    case RegionKind::Ellipse: {
        // Shifted back as a whole, so that at least the pixel nearest the image's edge is
        // covered; the size stays as drawn.
        const QRectF rect = QRectF(geometry.p1, geometry.p2).normalized();
        double dx = 0;
        double dy = 0;
        const double margin = 1.0;
        if (rect.right() < margin)
            dx = margin - rect.right();
        else if (rect.left() > w - margin)
            dx = (w - margin) - rect.left();
        if (rect.bottom() < margin)
            dy = margin - rect.bottom();
        else if (rect.top() > h - margin)
            dy = (h - margin) - rect.top();
        geometry.p1 += QPointF(dx, dy);
        geometry.p2 += QPointF(dx, dy);
        break;
    }
    }
    return geometry;
}

void RegionListModel::setImageSize(const QSize& size)
{
    if (size == m_imageSize)
        return;
    m_imageSize = size;
    bool changed = false;
    for (int row = 0; row < count(); ++row) {
        Region& region = m_regions[std::size_t(row)];
        const RegionGeometry geometry = clamped(region.geometry);
        if (geometry.p1 != region.geometry.p1 || geometry.p2 != region.geometry.p2) {
            region.geometry = geometry;
            Q_EMIT dataChanged(index(row), index(row), { X1Role, Y1Role, X2Role, Y2Role });
            changed = true;
        }
    }
    if (changed)
        Q_EMIT geometryChanged();
}

int RegionListModel::add(const QString& kind, qreal x1, qreal y1, qreal x2, qreal y2)
{
    RegionKind regionKind;
    if (!kindFromName(kind, &regionKind) || !finite(x1, y1, x2, y2) || count() >= maximumCount)
        return -1;
    Region region;
    region.geometry = clamped({ regionKind, QPointF(x1, y1), QPointF(x2, y2) });
    if (regionKind == RegionKind::Spot)
        region.geometry.p2 = region.geometry.p1;
    region.number = freeNumber(regionKind);
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_regions.push_back(region);
    endInsertRows();
    Q_EMIT countChanged();
    setSelected(row);
    Q_EMIT geometryChanged();
    Q_EMIT edited();
    return row;
}

bool RegionListModel::setGeometry(int row, qreal x1, qreal y1, qreal x2, qreal y2)
{
    if (row < 0 || row >= count() || !finite(x1, y1, x2, y2))
        return false;
    Region& region = m_regions[std::size_t(row)];
    RegionGeometry geometry = clamped({ region.geometry.kind, QPointF(x1, y1), QPointF(x2, y2) });
    if (geometry.kind == RegionKind::Spot)
        geometry.p2 = geometry.p1;
    if (geometry.p1 == region.geometry.p1 && geometry.p2 == region.geometry.p2)
        return true;
    region.geometry = geometry;
    Q_EMIT dataChanged(index(row), index(row), { X1Role, Y1Role, X2Role, Y2Role });
    Q_EMIT geometryChanged();
    Q_EMIT edited();
    return true;
}

bool RegionListModel::move(int row, qreal dx, qreal dy)
{
    if (row < 0 || row >= count() || !std::isfinite(dx) || !std::isfinite(dy))
        return false;
    const RegionGeometry& g = m_regions[std::size_t(row)].geometry;
    if (!m_imageSize.isEmpty()) {
        // Lines and spots stop at the edge as a whole rather than being squeezed.
        const QRectF rect = QRectF(g.p1, g.p2).normalized();
        const double right = std::nextafter(double(m_imageSize.width()), 0.0);
        const double bottom = std::nextafter(double(m_imageSize.height()), 0.0);
        if (g.kind == RegionKind::Spot || g.kind == RegionKind::Line) {
            dx = std::clamp(dx, -rect.left(), right - rect.right());
            dy = std::clamp(dy, -rect.top(), bottom - rect.bottom());
        }
    }
    return setGeometry(row, g.p1.x() + dx, g.p1.y() + dy, g.p2.x() + dx, g.p2.y() + dy);
}

bool RegionListModel::remove(int row)
{
    if (row < 0 || row >= count())
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_regions.erase(m_regions.begin() + row);
    endRemoveRows();
    Q_EMIT countChanged();
    if (m_selected == row)
        setSelected(-1);
    else if (m_selected > row)
        setSelected(m_selected - 1);
    // Colours follow the rows, so the rows after the removed one change colour.
    if (row < count())
        Q_EMIT dataChanged(index(row), index(count() - 1), { ColorRole });
    Q_EMIT geometryChanged();
    Q_EMIT edited();
    return true;
}

void RegionListModel::clear()
{
    if (m_regions.empty())
        return;
    beginResetModel();
    m_regions.clear();
    endResetModel();
    Q_EMIT countChanged();
    setSelected(-1);
    Q_EMIT geometryChanged();
    Q_EMIT edited();
}

void RegionListModel::setRegions(const std::vector<RegionGeometry>& regions)
{
    beginResetModel();
    m_regions.clear();
    for (const RegionGeometry& geometry : regions) {
        if (count() >= maximumCount)
            break;
        if (!finite(geometry.p1.x(), geometry.p1.y(), geometry.p2.x(), geometry.p2.y()))
            continue;
        Region region;
        region.geometry = clamped(geometry);
        if (geometry.kind == RegionKind::Spot)
            region.geometry.p2 = region.geometry.p1;
        region.number = freeNumber(geometry.kind);
        m_regions.push_back(region);
    }
    endResetModel();
    Q_EMIT countChanged();
    if (m_selected >= count())
        setSelected(-1);
    Q_EMIT geometryChanged();
}

std::vector<RegionGeometry> RegionListModel::geometries() const
{
    std::vector<RegionGeometry> geometries;
    geometries.reserve(m_regions.size());
    for (const Region& region : m_regions)
        geometries.push_back(region.geometry);
    return geometries;
}

void RegionListModel::setStatistics(std::vector<RegionStatistics> statistics)
{
    if (statistics.size() != m_regions.size() || m_regions.empty())
        return;
    for (std::size_t i = 0; i < statistics.size(); ++i)
        m_regions[i].statistics = std::move(statistics[i]);
    emitStatisticsChanged(0, count() - 1);
}

void RegionListModel::emitStatisticsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first), index(last),
        { MinimumRole, MaximumRole, MeanRole, DeviationRole, MinimumTextRole, MaximumTextRole, MeanTextRole,
            DeviationTextRole });
}

QVariantList RegionListModel::profile(int row) const
{
    QVariantList values;
    if (row < 0 || row >= count())
        return values;
    for (double value : m_regions[std::size_t(row)].statistics.profile)
        values.append(value);
    return values;
}

QVariantMap RegionListModel::statistics(int row) const
{
    if (row < 0 || row >= count())
        return {};
    const RegionStatistics& s = m_regions[std::size_t(row)].statistics;
    return {
        { QStringLiteral("name"), name(row) },
        { QStringLiteral("pixels"), s.pixels },
        { QStringLiteral("minimum"), s.minimum },
        { QStringLiteral("maximum"), s.maximum },
        { QStringLiteral("mean"), s.mean },
        { QStringLiteral("deviation"), s.deviation },
    };
}

} // namespace zelkir
