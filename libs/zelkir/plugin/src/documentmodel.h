#pragma once

#include "fileplayer.h"
#include "frameinfomodel.h"
#include "imageenhancementmodel.h"
#include "liveplayer.h"
#include "objectparameters.h"
#include "movieexporter.h"
#include "palettelist.h"
#include "physicalband.h"
#include "regionlistmodel.h"
#include "regionstatistics.h"
#include "renderjob.h"

#include <zelkir/io/calibration.h>

#include <QColor>
#include <QImage>
#include <QJsonObject>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QVariantList>
#include <qqmlregistration.h>

class QTimer;

namespace zelkir {

class FrameProducer;
class RegionSeries;
struct RegionSeriesSetup;

/// One open file or connected camera: the displayed image with its palette, enhancement,
/// units and frame information, the same for every source of frames. `filePlayer` is the
/// document's producer (a FilePlayer, or a camera's LivePlayer, whose display rate it
/// shows); `realtime` is the LivePlayer of a camera and null for files.
///
/// The document starts its producer and stays in status Loading until the producer reports
/// opened() or openFailed(), never before the caller returns to the event loop.
class DocumentModel final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by HalvoModel")
    Q_PROPERTY(Status status READ status NOTIFY statusChanged)
    /// Why opening failed, for the user; empty otherwise.
    Q_PROPERTY(QString errorString READ errorString NOTIFY statusChanged)
    /// The file shown; empty for cameras.
    Q_PROPERTY(QString filePath READ filePath CONSTANT)

    Q_PROPERTY(QImage image READ image NOTIFY imageChanged)
    Q_PROPERTY(QSize imageSize READ imageSize NOTIFY imageSizeChanged)
    /// What the view draws over the image (see RoiImageView::rois): the regions, as maps
    /// {x, y, width, height, color, kind, label, x1, y1, x2, y2, selected}, then the pixel
    /// marks (a camera's bad pixels while they are picked).
    Q_PROPERTY(QVariantList rois READ rois NOTIFY roisChanged)
    Q_PROPERTY(zelkir::FrameInfoModel* frameInfo READ frameInfo CONSTANT)

    Q_PROPERTY(bool showSaturationColors READ showSaturationColors WRITE setShowSaturationColors NOTIFY
            showSaturationColorsChanged)
    /// Index into palettes.paletteNames; out-of-range writes are refused.
    Q_PROPERTY(int paletteIndex READ paletteIndex WRITE setPaletteIndex NOTIFY paletteIndexChanged)
    Q_PROPERTY(zelkir::PaletteList* palettes READ palettes CONSTANT)
    Q_PROPERTY(zelkir::ImageEnhancementModel* imageEnhancement READ imageEnhancement CONSTANT)

    /// Texts of the units this file offers: counts always, radiance and temperature when calibrated.
    Q_PROPERTY(QStringList availableUnitStrings READ availableUnitStrings NOTIFY availableUnitsChanged)
    /// Index into availableUnitStrings; out-of-range writes are refused.
    Q_PROPERTY(int unitIndex READ unitIndex WRITE setUnitIndex NOTIFY unitChanged)
    Q_PROPERTY(Unit unit READ unit NOTIFY unitChanged)
    Q_PROPERTY(QStringList tempTypeStrings READ tempTypeStrings CONSTANT)
    /// 0 Celsius, 1 Fahrenheit, 2 Kelvin.
    Q_PROPERTY(int tempTypeIndex READ tempTypeIndex WRITE setTempTypeIndex NOTIFY tempTypeIndexChanged)
    /// Image pixel the value is read at.
    Q_PROPERTY(QPoint cursorPos READ cursorPos WRITE setCursorPos NOTIFY cursorPosChanged)
    /// The current frame's value at cursorPos in the chosen unit; NaN outside the image.
    Q_PROPERTY(double cursorValue READ cursorValue NOTIFY cursorValueChanged)

    // Display scale: fixed span, isotherm, colour bar and histogram. Values are in the
    // current unit (NaN where there is none); span and band are held as physical values, so
    // they stay put when the unit changes.
    /// True holds the display span where it is (or at setSpan's values); false returns to
    /// the enhancement mode. Refused (stays false) while no frame has a value.
    Q_PROPERTY(bool spanLocked READ spanLocked WRITE setSpanLocked NOTIFY spanLockedChanged)
    /// The locked span, or else the current frame's clip points; writing one end locks.
    Q_PROPERTY(double spanMinimum READ spanMinimum WRITE setSpanMinimum NOTIFY displayScaleChanged)
    Q_PROPERTY(double spanMaximum READ spanMaximum WRITE setSpanMaximum NOTIFY displayScaleChanged)
    /// Paints pixels whose value lies in [isothermMinimum, isothermMaximum] in isothermColor;
    /// first enabled, the band is the upper tenth of the display span.
    Q_PROPERTY(bool isothermEnabled READ isothermEnabled WRITE setIsothermEnabled NOTIFY isothermChanged)
    Q_PROPERTY(double isothermMinimum READ isothermMinimum WRITE setIsothermMinimum NOTIFY isothermChanged)
    Q_PROPERTY(double isothermMaximum READ isothermMaximum WRITE setIsothermMaximum NOTIFY isothermChanged)
    Q_PROPERTY(QColor isothermColor READ isothermColor NOTIFY isothermColorChanged)
    /// Maps {position: 0 (bottom) to 1 (top), value, text} at display levels 0, 32, ..., 255.
    Q_PROPERTY(QVariantList colorBarTicks READ colorBarTicks NOTIFY displayScaleChanged)
    /// Values of the first and last display level.
    Q_PROPERTY(double displayMinimum READ displayMinimum NOTIFY displayScaleChanged)
    Q_PROPERTY(double displayMaximum READ displayMaximum NOTIFY displayScaleChanged)
    /// The frame's histogram in at most 128 bins, lowest first: maps {value, pixels}.
    Q_PROPERTY(QVariantList histogram READ histogram NOTIFY displayScaleChanged)
    Q_PROPERTY(double histogramMaximumPixels READ histogramMaximumPixels NOTIFY displayScaleChanged)

    Q_PROPERTY(bool isSequencing READ isSequencing NOTIFY presetsChanged)
    Q_PROPERTY(bool isSuperframing READ isSuperframing NOTIFY presetsChanged)
    /// Bit n set: preset n occurs in the file.
    Q_PROPERTY(int availablePresets READ availablePresets NOTIFY presetsChanged)
    /// PRESET_ALL, an available PRESET_n, or PRESET_SUPERFRAME when superframing; playback
    /// visits only that preset's frames.
    Q_PROPERTY(int activePreset READ activePreset WRITE setActivePreset NOTIFY activePresetChanged)

    /// The producer: a file's playback, or a camera's LivePlayer.
    Q_PROPERTY(zelkir::FrameProducer* filePlayer READ producer CONSTANT)
    /// The camera side; null for files.
    Q_PROPERTY(zelkir::LivePlayer* realtime READ realtime CONSTANT)

    // Object parameters and frame export.
    /// Emissivity, reflected temperature and the air in between: the user units' inputs.
    Q_PROPERTY(zelkir::ObjectParameters* objectParameters READ objectParameters CONSTANT)
    // Series and movie export.
    Q_MOC_INCLUDE("regionseries.h")
    /// Region statistics over the file's frames between the bounds, or a camera's recent ones.
    Q_PROPERTY(zelkir::RegionSeries* regionSeries READ regionSeries CONSTANT)
    /// Saves the file's frames between the bounds as a FITS movie; idle for cameras.
    Q_PROPERTY(zelkir::MovieExporter* movieExporter READ movieExporter CONSTANT)

    // Regions.
    /// The regions with their figures on the current frame in the current unit.
    Q_PROPERTY(zelkir::RegionListModel* regions READ regions CONSTANT)

public:
    enum Status { Loading, Ready, Failed, Closed };
    Q_ENUM(Status)
    enum Preset {
        PRESET_ALL = -1,
        PRESET_0 = 0,
        PRESET_1,
        PRESET_2,
        PRESET_3,
        PRESET_4,
        PRESET_5,
        PRESET_6,
        PRESET_7,
        PRESET_SUPERFRAME,
    };
    Q_ENUM(Preset)
    enum Unit {
        COUNTS = 100,
        RADIANCE_FACTORY,
        RADIANCE_USER,
        TEMPERATURE_FACTORY,
        TEMPERATURE_USER,
    };
    Q_ENUM(Unit)

    /// Shows what `producer` (owned) renders and starts it. `palettes` is shared and not
    /// owned; null gives Grayscale alone.
    DocumentModel(FrameProducer* producer, PaletteList* palettes, QObject* parent = nullptr);
    ~DocumentModel() override;

    Status status() const { return m_status; }
    QString errorString() const { return m_errorString; }
    QString filePath() const;
    QImage image() const { return m_image; }
    QSize imageSize() const { return m_imageSize; }
    QVariantList rois() const { return m_rois; }
    FrameInfoModel* frameInfo() const { return m_frameInfo; }
    bool showSaturationColors() const { return m_showSaturationColors; }
    void setShowSaturationColors(bool show);
    int paletteIndex() const { return m_paletteIndex; }
    void setPaletteIndex(int index);
    PaletteList* palettes() const { return m_palettes; }
    ImageEnhancementModel* imageEnhancement() const { return m_enhancement; }
    QStringList availableUnitStrings() const;
    int unitIndex() const { return m_unitIndex; }
    void setUnitIndex(int index);
    Unit unit() const;
    QStringList tempTypeStrings() const;
    int tempTypeIndex() const { return m_tempTypeIndex; }
    void setTempTypeIndex(int index);
    QPoint cursorPos() const { return m_cursorPos; }
    void setCursorPos(const QPoint& position);
    double cursorValue() const { return m_cursorValue; }
    bool isSequencing() const;
    bool isSuperframing() const;
    int availablePresets() const;
    int activePreset() const { return m_activePreset; }
    void setActivePreset(int preset);
    /// The file's playback; null for cameras.
    FilePlayer* filePlayer() const;
    LivePlayer* realtime() const;
    FrameProducer* producer() const { return m_producer; }

    /// The value of a physical pixel value in `unit` and the chosen temperature scale.
    double convert(double physical, Unit unit, int preset) const;

    // Object parameters and frame export.
    ObjectParameters* objectParameters() const { return m_objectParameters; }
    /// The calibration values are shown in: the source's with the object parameters.
    const Calibration& calibration() const { return m_calibration; }
    /// The current frame's counts as a one-frame FITS file with the calibration and the
    /// object parameters. `path`: a url or a path. A sentence for the user; empty on success.
    Q_INVOKABLE QString exportFrameFits(const QVariant& path);
    /// The current frame in the current unit as comma-separated rows.
    Q_INVOKABLE QString exportFrameCsv(const QVariant& path);
    /// The displayed picture with a colour bar on its right.
    Q_INVOKABLE QString exportFramePng(const QVariant& path);
    // Display scale (see the properties).
    bool spanLocked() const { return m_spanLocked; }
    void setSpanLocked(bool locked);
    double spanMinimum() const;
    double spanMaximum() const;
    void setSpanMinimum(double value);
    void setSpanMaximum(double value);
    /// Locks the span at two values of the current unit; false (nothing changes) when they
    /// are not finite, minimum >= maximum, or the source cannot produce either value.
    Q_INVOKABLE bool setSpan(double minimum, double maximum);
    bool isothermEnabled() const { return m_isothermEnabled; }
    void setIsothermEnabled(bool enabled);
    double isothermMinimum() const;
    double isothermMaximum() const;
    /// Writing one end past the other moves the other along.
    void setIsothermMinimum(double value);
    void setIsothermMaximum(double value);
    /// Sets the band at two values of the current unit, minimum <= maximum; false (nothing
    /// changes) as setSpan.
    Q_INVOKABLE bool setIsothermBand(double minimum, double maximum);
    QColor isothermColor() const;
    QVariantList colorBarTicks() const;
    double displayMinimum() const;
    double displayMaximum() const;
    QVariantList histogram() const;
    double histogramMaximumPixels() const;
    /// The physical pixel value whose value in the current unit is `value`, within what the
    /// current frame's count range can hold; NaN when there is none (or no frame yet).
    double toPhysical(double value) const;
    // Series and movie export.
    MovieExporter* movieExporter() const { return m_movieExporter; }
    RegionSeries* regionSeries() const { return m_regionSeries; }
    /// Starts saving frames boundStart..boundEnd as a FITS movie (see MovieExporter); empty
    /// when started, else a sentence for the user.
    Q_INVOKABLE QString exportMovieFits(const QVariant& path);

    // Regions.
    RegionListModel* regions() const { return m_regions; }
    /// Single pixels to mark after the regions in `rois`: maps {x, y, width, height, color}.
    void setPixelMarks(const QVariantList& marks);
    /// The file the regions are kept in; empty keeps them nowhere. The regions are read
    /// from it once the source is open, and written to it after the user changes them.
    void setRegionStorePath(const QString& path);
    QString regionStorePath() const { return m_regionStorePath; }
    /// Writes the regions soon (coalescing edits), once the user has changed something kept
    /// in the store.
    void scheduleRegionSave();
    /// Writes pending changes to the region store now.
    void flushRegionStore();
    /// The calibration inputs changed: every value shown in a unit is computed anew.
    void invalidateUnits();
    quint64 calibrationRevision() const { return m_calibrationRevision; }
    /// The display value of every count of frames like `frame` in the current unit; rebuilt
    /// only when the unit, scale, preset, frame scale or calibration changed.
    const UnitTable& unitTable(const Frame& frame);

Q_SIGNALS:
    void statusChanged();
    void opened();
    void openFailed(const QString& message);
    void imageChanged();
    void imageSizeChanged();
    void roisChanged();
    void showSaturationColorsChanged();
    void paletteIndexChanged();
    void availableUnitsChanged();
    void unitChanged();
    void tempTypeIndexChanged();
    void cursorPosChanged();
    void cursorValueChanged();
    void presetsChanged();
    void activePresetChanged();
    void spanLockedChanged();
    void isothermChanged();
    void isothermColorChanged();
    /// Once per frame, per unit change and per span change, for all the display-scale figures.
    void displayScaleChanged();

private:
    // Regions.
    struct UnitTableKey
    {
        Unit unit = COUNTS;
        int tempTypeIndex = -1;
        int preset = -1;
        CountScale scale;
        quint64 calibrationRevision = 0;
        bool operator==(const UnitTableKey& other) const
        {
            return unit == other.unit && tempTypeIndex == other.tempTypeIndex && preset == other.preset
                && scale == other.scale && calibrationRevision == other.calibrationRevision;
        }
    };
    void setupRegions();
    void updateRegionStatistics();
    void updateRois();
    void updateUnitValues();
    void loadRegions();
    QList<FrameInfoModel::Entry> regionInfoEntries() const;

    void onSourceOpened(const OpenResultPtr& result);
    void onOpenFailed(const QString& message);
    void onFrameReady(const RenderedFramePtr& frame);
    void onProducerClosed();
    void clearFrame();
    void updateRenderSettings();
    void updateCursorValue();
    void updateFrameInfo();
    void setStatus(Status status, const QString& error = QString());
    void connectDisplayScale();
    void onDisplayScaleInputsChanged();
    void applyDisplayScale(EnhancementSettings& settings) const;
    void setDefaultIsotherm();
    double valueOf(double physical) const;
    UnitKey unitKey() const;
    double lowValueOf(const PhysicalBand& band) const;
    double highValueOf(const PhysicalBand& band) const;
    bool frameHasValues() const;
    PhysicalBand unitBandToPhysical(double minimum, double maximum) const;

    PaletteList* const m_palettes;
    ImageEnhancementModel* const m_enhancement;
    FrameInfoModel* const m_frameInfo;
    FrameProducer* const m_producer;

    Status m_status = Loading;
    QString m_errorString;
    /// What the producer said of its source once opened.
    OpenResultPtr m_source;
    Calibration m_calibration;
    QList<Unit> m_units { COUNTS };
    RenderedFramePtr m_frame;
    QImage m_image;
    QSize m_imageSize;
    bool m_showSaturationColors = false;
    int m_paletteIndex = 0;
    int m_unitIndex = 0;
    int m_tempTypeIndex = 0;
    QPoint m_cursorPos;
    double m_cursorValue;
    QVariantList m_rois;
    int m_activePreset = PRESET_ALL;

    // Object parameters and frame export.
    void setUpObjectParameters();
    /// The path an export may write, or empty with a sentence in `*error`.
    QString exportPath(const QVariant& target, QString* error) const;
    /// The current unit's name and symbol for an exported file's first line.
    QString unitDescription() const;
    ObjectParameters* m_objectParameters = nullptr;
    // Display scale: physical values of the current unit's minimum and maximum.
    bool m_spanLocked = false;
    PhysicalBand m_span;
    bool m_isothermEnabled = false;
    PhysicalBand m_isotherm;
    // Built on demand, as QML may not read them every frame.
    struct DisplayScaleCache
    {
        bool valid = false;
        QVariantList ticks;
        QVariantList histogram;
        double maximumPixels = 0;
    };
    mutable DisplayScaleCache m_displayScale;
    const DisplayScaleCache& displayScaleCache() const;
    // Series and movie export.
    void setUpSeries();
    /// The regions and unit of the moment, for a series to start with.
    std::optional<RegionSeriesSetup> regionSeriesSetup(QString* error) const;
    /// A camera's frame: its region figures join the series' history.
    void feedRegionSeries();
    MovieExporter* m_movieExporter = nullptr;
    RegionSeries* m_regionSeries = nullptr;

    // Regions.
    RegionListModel* const m_regions;
    QVariantList m_pixelMarks;
    UnitTable m_unitTable;
    UnitTableKey m_unitTableKey;
    quint64 m_calibrationRevision = 0;
    QString m_regionStorePath;
    QTimer* m_regionSaveTimer = nullptr;
    bool m_regionsLoaded = false;
    bool m_regionSavePending = false;
};

} // namespace zelkir
