#pragma once

#include "regionstatistics.h"

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QSize>
#include <QVariantList>
#include <QVariantMap>
#include <qqmlregistration.h>

#include <functional>
#include <vector>

namespace zelkir {

/// The regions of a document, in image pixel coordinates (see RegionGeometry), with their
/// figures on the current frame in the document's unit.
///
/// Edits through the Q_INVOKABLE functions are the user's: they emit edited(), which the
/// document answers by saving. Every change of the list or of a geometry emits
/// geometryChanged(), which the document answers with new figures.
class RegionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("a document's regions")
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    /// The row selected, -1 for none; out-of-range writes select none.
    Q_PROPERTY(int selected READ selected WRITE setSelected NOTIFY selectedChanged)

public:
    static constexpr int maximumCount = 32;

    enum Role {
        KindRole = Qt::UserRole + 1,
        NumberRole,
        NameRole,
        ColorRole,
        X1Role,
        Y1Role,
        X2Role,
        Y2Role,
        MinimumRole,
        MaximumRole,
        MeanRole,
        DeviationRole,
        MinimumTextRole,
        MaximumTextRole,
        MeanTextRole,
        DeviationTextRole,
    };
    Q_ENUM(Role)

    struct Region
    {
        RegionGeometry geometry;
        int number = 1;
        RegionStatistics statistics;
    };

    explicit RegionListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_regions.size()); }
    int selected() const { return m_selected; }
    void setSelected(int row);

    /// Adds a region of `kind` ("spot", "box", "ellipse", "line") and selects it. -1 when
    /// refused: unknown kind, a coordinate not finite, or the list full.
    Q_INVOKABLE int add(const QString& kind, qreal x1, qreal y1, qreal x2, qreal y2);
    /// False when the row does not exist or a coordinate is not finite.
    Q_INVOKABLE bool setGeometry(int row, qreal x1, qreal y1, qreal x2, qreal y2);
    /// Shifts a region by (dx, dy) image pixels, as far as it stays on the image.
    Q_INVOKABLE bool move(int row, qreal dx, qreal dy);
    Q_INVOKABLE bool remove(int row);
    Q_INVOKABLE void clear();
    /// A line's values from its first end to its second, NaN where there is none; empty
    /// for other kinds.
    Q_INVOKABLE QVariantList profile(int row) const;
    /// {name, pixels, minimum, maximum, mean, deviation} of a row; empty for a row that does not exist.
    Q_INVOKABLE QVariantMap statistics(int row) const;

    const std::vector<Region>& regions() const { return m_regions; }
    /// Replaces every region without emitting edited(): regions read back from a store.
    /// Those beyond the maximum or with coordinates not finite are dropped.
    void setRegions(const std::vector<RegionGeometry>& regions);
    std::vector<RegionGeometry> geometries() const;
    /// New figures, one per row in order; ignored when the count differs.
    void setStatistics(std::vector<RegionStatistics> statistics);
    /// Once known, geometries are clamped so that each keeps a pixel on the image.
    void setImageSize(const QSize& size);
    /// The colours regions take in turn; empty gives fixed ones.
    void setColors(const QList<QColor>& colors);
    QColor color(int row) const;
    /// The value texts of the figures; set by the document for its unit.
    void setFormatter(std::function<QString(double)> format);
    /// "Spot 1", "Box 2" ...
    QString name(int row) const;

    static QString kindName(RegionKind kind);
    /// The kind of a name, false when there is none.
    static bool kindFromName(const QString& name, RegionKind* kind);

Q_SIGNALS:
    void countChanged();
    void selectedChanged();
    /// The list or a geometry changed, by the user or not.
    void geometryChanged();
    /// The user changed the regions.
    void edited();

private:
    RegionGeometry clamped(RegionGeometry geometry) const;
    int freeNumber(RegionKind kind) const;
    void emitStatisticsChanged(int first, int last);

    std::vector<Region> m_regions;
    QList<QColor> m_colors;
    QSize m_imageSize;
    int m_selected = -1;
    std::function<QString(double)> m_format;
};

} // namespace zelkir
