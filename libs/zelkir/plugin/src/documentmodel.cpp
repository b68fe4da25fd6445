#include "documentmodel.h"

#include "displayscale.h"
#include "frameexporter.h"
#include "frameinfonames.h"
#include "frameproducer.h"
#include "logging.h"
#include "movieexporter.h"
#include "palettecatalog.h"
#include "regionseries.h"
#include "regionstore.h"
#include "unitformat.h"

#include <QFileInfo>
#include <QRectF>
#include <QTimer>
#include <QtMath>

#include <limits>

namespace zelkir {

namespace {

zelkir::Unit sourceUnit(DocumentModel::Unit unit)
{
    switch (unit) {
    case DocumentModel::RADIANCE_FACTORY:
        return zelkir::Unit::RadianceFactory;
    case DocumentModel::RADIANCE_USER:
        return zelkir::Unit::RadianceUser;
    case DocumentModel::TEMPERATURE_FACTORY:
        return zelkir::Unit::TemperatureFactory;
    case DocumentModel::TEMPERATURE_USER:
        return zelkir::Unit::TemperatureUser;
    case DocumentModel::COUNTS:
        break;
    }
    return zelkir::Unit::Counts;
}

DocumentModel::Unit documentUnit(zelkir::Unit unit)
{
    switch (unit) {
    case zelkir::Unit::RadianceFactory:
        return DocumentModel::RADIANCE_FACTORY;
    case zelkir::Unit::RadianceUser:
        return DocumentModel::RADIANCE_USER;
    case zelkir::Unit::TemperatureFactory:
        return DocumentModel::TEMPERATURE_FACTORY;
    case zelkir::Unit::TemperatureUser:
        return DocumentModel::TEMPERATURE_USER;
    case zelkir::Unit::Counts:
        break;
    }
    return DocumentModel::COUNTS;
}

QString unitText(DocumentModel::Unit unit)
{
    switch (unit) {
    case DocumentModel::RADIANCE_FACTORY:
        return DocumentModel::tr("Radiance (factory)");
    case DocumentModel::RADIANCE_USER:
        return DocumentModel::tr("Radiance (user)");
    case DocumentModel::TEMPERATURE_FACTORY:
        return DocumentModel::tr("Temperature (factory)");
    case DocumentModel::TEMPERATURE_USER:
        return DocumentModel::tr("Temperature (user)");
    case DocumentModel::COUNTS:
        break;
    }
    return DocumentModel::tr("Counts");
}

TemperatureScale temperatureScale(int index)
{
    return index == 1 ? TemperatureScale::Fahrenheit
        : index == 2  ? TemperatureScale::Kelvin
                      : TemperatureScale::Celsius;
}

QString numberText(double value)
{
    return qIsFinite(value) ? QString::number(value, 'g', 6) : QString();
}

} // namespace

DocumentModel::DocumentModel(FrameProducer* producer, PaletteList* palettes, QObject* parent)
    : QObject(parent)
    , m_palettes(palettes ? palettes : new PaletteList(nullptr, this))
    , m_enhancement(new ImageEnhancementModel(this))
    , m_frameInfo(new FrameInfoModel(this))
    , m_producer(producer)
    , m_cursorValue(std::numeric_limits<double>::quiet_NaN())
    , m_regions(new RegionListModel(this))
{
    m_producer->setParent(this);
    m_paletteIndex = qMax(0, m_palettes->indexOf(PaletteCatalog::grayscaleName()));
    connect(m_producer, &FrameProducer::opened, this, &DocumentModel::onSourceOpened);
    connect(m_producer, &FrameProducer::openFailed, this, &DocumentModel::onOpenFailed);
    connect(m_producer, &FrameProducer::frameReady, this, &DocumentModel::onFrameReady);
    connect(m_producer, &FrameProducer::closedChanged, this, &DocumentModel::onProducerClosed);
    connect(
        m_enhancement, &ImageEnhancementModel::settingsChanged, this, &DocumentModel::updateRenderSettings);
    connectDisplayScale();
    updateRenderSettings();
    setUpObjectParameters();
    setupRegions();
    setUpSeries();
    m_producer->start();
}

DocumentModel::~DocumentModel()
{
    flushRegionStore();
}

QString DocumentModel::filePath() const
{
    const FilePlayer* player = filePlayer();
    return player ? player->path() : QString();
}

FilePlayer* DocumentModel::filePlayer() const
{
    return qobject_cast<FilePlayer*>(m_producer);
}

LivePlayer* DocumentModel::realtime() const
{
    return qobject_cast<LivePlayer*>(m_producer);
}

void DocumentModel::setStatus(Status status, const QString& error)
{
    if (status == m_status && error == m_errorString)
        return;
    m_status = status;
    m_errorString = error;
    Q_EMIT statusChanged();
}

void DocumentModel::onSourceOpened(const OpenResultPtr& result)
{
    m_source = result;
    // Gives m_calibration the source's calibration with the object parameters.
    m_objectParameters->setSource(m_source->info.calibration);
    m_units.clear();
    for (zelkir::Unit unit : m_calibration.availableUnits())
        m_units.append(documentUnit(unit));
    if (m_units.isEmpty())
        m_units.append(COUNTS);
    m_imageSize = QSize(m_source->info.width, m_source->info.height);
    m_regions->setImageSize(m_imageSize);
    loadRegions();
    setStatus(Ready);
    Q_EMIT imageSizeChanged();
    Q_EMIT availableUnitsChanged();
    Q_EMIT presetsChanged();
    Q_EMIT opened();
}

void DocumentModel::onOpenFailed(const QString& message)
{
    const QString text = message.isEmpty() ? tr("The file cannot be read.") : message;
    setStatus(Failed, text);
    Q_EMIT openFailed(text);
}

void DocumentModel::onProducerClosed()
{
    flushRegionStore();
    if (m_status != Failed)
        setStatus(Closed);
}

void DocumentModel::onFrameReady(const RenderedFramePtr& frame)
{
    if (!frame->ok) {
        // A file whose first frame cannot be read is as good as unopened; later frames
        // that fail leave the last good one on screen.
        if (!m_frame && m_status == Ready) {
            setStatus(Failed, frame->error);
            Q_EMIT openFailed(frame->error);
        } else if (frame->readableFrames == 0) {
            // Nothing the source still holds can be shown: no image rather than a stale one.
            clearFrame();
        }
        return;
    }
    m_frame = frame;
    m_image = frame->image;
    Q_EMIT imageChanged();
    // A camera's size can change while it streams.
    const QSize size(frame->frame.width, frame->frame.height);
    if (size != m_imageSize) {
        m_imageSize = size;
        m_regions->setImageSize(size);
        Q_EMIT imageSizeChanged();
    }
    updateRegionStatistics();
    feedRegionSeries();
    updateFrameInfo();
    updateCursorValue();
}

void DocumentModel::clearFrame()
{
    m_frame.reset();
    m_image = QImage();
    Q_EMIT imageChanged();
    m_frameInfo->setEntries({});
    updateRegionStatistics();
    updateCursorValue();
}

void DocumentModel::setShowSaturationColors(bool show)
{
    if (show == m_showSaturationColors)
        return;
    m_showSaturationColors = show;
    Q_EMIT showSaturationColorsChanged();
    updateRenderSettings();
}

void DocumentModel::setPaletteIndex(int index)
{
    if (index == m_paletteIndex || index < 0 || index >= m_palettes->count())
        return;
    m_paletteIndex = index;
    Q_EMIT paletteIndexChanged();
    updateRenderSettings();
}

void DocumentModel::updateRenderSettings()
{
    EnhancementSettings settings = m_enhancement->settings();
    settings.showSaturationColors = m_showSaturationColors;
    applyDisplayScale(settings);
    std::shared_ptr<const Palette> palette = m_palettes->catalog()->palette(m_paletteIndex);
    m_producer->setRenderSettings(settings, palette ? palette : std::make_shared<const Palette>());
}

QStringList DocumentModel::availableUnitStrings() const
{
    QStringList texts;
    for (Unit unit : m_units)
        texts.append(unitText(unit));
    return texts;
}

void DocumentModel::setUnitIndex(int index)
{
    if (index == m_unitIndex || index < 0 || index >= m_units.size())
        return;
    m_unitIndex = index;
    Q_EMIT unitChanged();
    updateUnitValues();
}

DocumentModel::Unit DocumentModel::unit() const
{
    return m_units.value(m_unitIndex, COUNTS);
}

QStringList DocumentModel::tempTypeStrings() const
{
    // Symbols: the windows give the temperature-type box 64 pixels.
    return { QStringLiteral("\u00B0C"), QStringLiteral("\u00B0F"), QStringLiteral("K") };
}

void DocumentModel::setTempTypeIndex(int index)
{
    if (index == m_tempTypeIndex || index < 0 || index > 2)
        return;
    m_tempTypeIndex = index;
    Q_EMIT tempTypeIndexChanged();
    updateUnitValues();
}

void DocumentModel::setCursorPos(const QPoint& position)
{
    if (position == m_cursorPos)
        return;
    m_cursorPos = position;
    Q_EMIT cursorPosChanged();
    updateCursorValue();
}

double DocumentModel::convert(double physical, Unit unit, int preset) const
{
    return m_calibration.convert(physical, sourceUnit(unit), temperatureScale(m_tempTypeIndex), preset);
}

void DocumentModel::updateCursorValue()
{
    double value = std::numeric_limits<double>::quiet_NaN();
    if (m_frame) {
        const Frame& frame = m_frame->frame;
        const int x = m_cursorPos.x();
        const int y = m_cursorPos.y();
        if (x >= 0 && y >= 0 && x < frame.width && y < frame.height && frame.hasValue(x, y))
            value = convert(frame.scale.toPhysical(frame.at(x, y)), unit(), frame.preset);
    }
    // NaN never equals itself, so compare the "no value" case explicitly.
    if (value == m_cursorValue || (qIsNaN(value) && qIsNaN(m_cursorValue)))
        return;
    m_cursorValue = value;
    Q_EMIT cursorValueChanged();
}

void DocumentModel::updateFrameInfo()
{
    const Frame& frame = m_frame->frame;
    const FrameStatistics& statistics = m_frame->statistics;
    // Figures of a frame without a single value would be made up.
    const auto figure = [&](double count) {
        return statistics.pixels > 0 ? numberText(frame.scale.toPhysical(count)) : QString();
    };
    QList<FrameInfoModel::Entry> entries {
        { FrameInfoNames::frameNumber(), QString::number(m_frame->index) },
        { FrameInfoNames::time(), qIsFinite(frame.time) ? QString::number(frame.time, 'f', 3) : QString() },
        { FrameInfoNames::size(), QStringLiteral("%1 x %2").arg(frame.width).arg(frame.height) },
        { FrameInfoNames::minimum(), figure(statistics.minimum) },
        { FrameInfoNames::maximum(), figure(statistics.maximum) },
        { FrameInfoNames::mean(), figure(statistics.mean) },
    };
    if (isSequencing())
        entries.append({ FrameInfoNames::preset(), QString::number(frame.preset) });
    entries.append(regionInfoEntries());
    entries.append(m_producer->frameDetails(*m_frame));
    if (m_source) {
        for (const FileKeyword& keyword : m_source->info.keywords) {
            if (!keyword.name.isEmpty())
                entries.append({ keyword.name, keyword.value });
        }
    }
    m_frameInfo->setEntries(std::move(entries));
}

bool DocumentModel::isSequencing() const
{
    return m_source && m_source->info.presets.sequencing;
}

bool DocumentModel::isSuperframing() const
{
    return m_source && m_source->info.presets.superframing;
}

int DocumentModel::availablePresets() const
{
    return m_source ? m_source->info.presets.availablePresets : 0x01;
}

void DocumentModel::setActivePreset(int preset)
{
    const bool valid = preset == PRESET_ALL
        || (preset >= PRESET_0 && preset <= PRESET_7 && (availablePresets() & (1 << preset)))
        || (preset == PRESET_SUPERFRAME && isSuperframing());
    if (!valid || preset == m_activePreset)
        return;
    m_activePreset = preset;
    Q_EMIT activePresetChanged();
    // A superframe holds every preset of a cycle, so it plays all frames.
    m_producer->setPresetFilter(preset == PRESET_SUPERFRAME ? PRESET_ALL : preset);
}

// Display scale: fixed span, isotherm, colour bar and histogram ------------------------------

void DocumentModel::connectDisplayScale()
{
    // Every figure follows the frame shown and the unit it is shown in.
    connect(this, &DocumentModel::imageChanged, this, &DocumentModel::onDisplayScaleInputsChanged);
    connect(this, &DocumentModel::unitChanged, this, &DocumentModel::onDisplayScaleInputsChanged);
    connect(this, &DocumentModel::tempTypeIndexChanged, this, &DocumentModel::onDisplayScaleInputsChanged);
    connect(this, &DocumentModel::unitChanged, this, &DocumentModel::isothermChanged);
    connect(this, &DocumentModel::tempTypeIndexChanged, this, &DocumentModel::isothermChanged);
    connect(this, &DocumentModel::paletteIndexChanged, this, &DocumentModel::isothermColorChanged);
}

void DocumentModel::onDisplayScaleInputsChanged()
{
    // A band asked for before any frame had values takes its default from the first that has.
    if (m_isothermEnabled && !m_isotherm.isSet() && frameHasValues()) {
        setDefaultIsotherm();
        Q_EMIT isothermChanged();
        updateRenderSettings();
    }
    m_displayScale.valid = false;
    Q_EMIT displayScaleChanged();
}

bool DocumentModel::frameHasValues() const
{
    return m_frame && !m_frame->levelCounts.empty();
}

double DocumentModel::valueOf(double physical) const
{
    return convert(physical, unit(), m_frame ? m_frame->frame.preset : -1);
}

double DocumentModel::toPhysical(double value) const
{
    if (!m_frame)
        return std::numeric_limits<double>::quiet_NaN();
    const CountScale& scale = m_frame->frame.scale;
    const double first = scale.toPhysical(m_frame->countRange.minimum);
    const double last = scale.toPhysical(m_frame->countRange.maximum);
    if (unit() == COUNTS) {
        // Counts are the physical values themselves: exact, no search.
        const bool inside = value >= std::min(first, last) && value <= std::max(first, last);
        return inside ? value : std::numeric_limits<double>::quiet_NaN();
    }
    return DisplayScale::physicalForValue(value, first, last, [this](double physical) { return valueOf(physical); });
}

UnitKey DocumentModel::unitKey() const
{
    return { int(unit()), m_tempTypeIndex, m_frame ? m_frame->frame.preset : -1, m_calibration.parameters() };
}

double DocumentModel::lowValueOf(const PhysicalBand& band) const
{
    return band.isTypedIn(unitKey()) ? band.typedLow : valueOf(band.low);
}

double DocumentModel::highValueOf(const PhysicalBand& band) const
{
    return band.isTypedIn(unitKey()) ? band.typedHigh : valueOf(band.high);
}

PhysicalBand DocumentModel::unitBandToPhysical(double minimum, double maximum) const
{
    PhysicalBand band(toPhysical(minimum), toPhysical(maximum));
    if (!band.isSet())
        return {};
    band.typedLow = minimum;
    band.typedHigh = maximum;
    band.typedIn = unitKey();
    return band;
}

void DocumentModel::applyDisplayScale(EnhancementSettings& settings) const
{
    settings.fixedSpan = m_spanLocked && m_span.isSet();
    settings.spanLow = settings.fixedSpan ? std::min(m_span.low, m_span.high) : 0.0;
    settings.spanHigh = settings.fixedSpan ? std::max(m_span.low, m_span.high) : 0.0;
    settings.isotherm = m_isothermEnabled && m_isotherm.isSet();
    settings.isothermLow = settings.isotherm ? std::min(m_isotherm.low, m_isotherm.high) : 0.0;
    settings.isothermHigh = settings.isotherm ? std::max(m_isotherm.low, m_isotherm.high) : 0.0;
}

void DocumentModel::setSpanLocked(bool locked)
{
    if (locked == m_spanLocked)
        return;
    if (locked) {
        if (!frameHasValues())
            return;
        const CountScale& scale = m_frame->frame.scale;
        // A flat frame shows a single count; the span still needs two ends.
        const int high = std::max<int>(m_frame->clipHigh, m_frame->clipLow + 1);
        m_span = { scale.toPhysical(m_frame->clipLow), scale.toPhysical(high) };
    }
    m_spanLocked = locked;
    Q_EMIT spanLockedChanged();
    onDisplayScaleInputsChanged();
    updateRenderSettings();
}

bool DocumentModel::setSpan(double minimum, double maximum)
{
    if (!qIsFinite(minimum) || !qIsFinite(maximum) || minimum >= maximum)
        return false;
    const PhysicalBand span = unitBandToPhysical(minimum, maximum);
    if (!span.isSet() || span.low == span.high)
        return false;
    m_span = span;
    if (!m_spanLocked) {
        m_spanLocked = true;
        Q_EMIT spanLockedChanged();
    }
    onDisplayScaleInputsChanged();
    updateRenderSettings();
    return true;
}

double DocumentModel::spanMinimum() const
{
    if (m_spanLocked)
        return lowValueOf(m_span);
    return m_frame ? valueOf(DisplayScale::shownBand(*m_frame, {}).low) : std::numeric_limits<double>::quiet_NaN();
}

double DocumentModel::spanMaximum() const
{
    if (m_spanLocked)
        return highValueOf(m_span);
    return m_frame ? valueOf(DisplayScale::shownBand(*m_frame, {}).high) : std::numeric_limits<double>::quiet_NaN();
}

void DocumentModel::setSpanMinimum(double value)
{
    if (!setSpan(value, spanMaximum()))
        Q_EMIT displayScaleChanged(); // a bound field shows the span again
}

void DocumentModel::setSpanMaximum(double value)
{
    if (!setSpan(spanMinimum(), value))
        Q_EMIT displayScaleChanged();
}

void DocumentModel::setIsothermEnabled(bool enabled)
{
    if (enabled == m_isothermEnabled)
        return;
    if (enabled && !m_isotherm.isSet() && frameHasValues())
        setDefaultIsotherm();
    m_isothermEnabled = enabled;
    Q_EMIT isothermChanged();
    updateRenderSettings();
}

// The upper tenth of what the display spans.
void DocumentModel::setDefaultIsotherm()
{
    const PhysicalBand shown = DisplayScale::shownBand(*m_frame, m_spanLocked ? m_span : PhysicalBand());
    m_isotherm = { shown.low + 0.9 * (shown.high - shown.low), shown.high };
}

double DocumentModel::isothermMinimum() const
{
    return lowValueOf(m_isotherm);
}

double DocumentModel::isothermMaximum() const
{
    return highValueOf(m_isotherm);
}

void DocumentModel::setIsothermMinimum(double value)
{
    const double maximum = isothermMaximum();
    if (!setIsothermBand(value, qIsFinite(maximum) ? std::max(value, maximum) : value))
        Q_EMIT isothermChanged();
}

void DocumentModel::setIsothermMaximum(double value)
{
    const double minimum = isothermMinimum();
    if (!setIsothermBand(qIsFinite(minimum) ? std::min(value, minimum) : value, value))
        Q_EMIT isothermChanged();
}

bool DocumentModel::setIsothermBand(double minimum, double maximum)
{
    if (!qIsFinite(minimum) || !qIsFinite(maximum) || minimum > maximum)
        return false;
    const PhysicalBand band = unitBandToPhysical(minimum, maximum);
    if (!band.isSet())
        return false;
    m_isotherm = band;
    Q_EMIT isothermChanged();
    if (m_isothermEnabled)
        updateRenderSettings();
    return true;
}

QColor DocumentModel::isothermColor() const
{
    const std::shared_ptr<const Palette> palette = m_palettes->catalog()->palette(m_paletteIndex);
    return QColor::fromRgb(palette ? palette->isothermColour() : Palette().isothermColour());
}

const DocumentModel::DisplayScaleCache& DocumentModel::displayScaleCache() const
{
    if (!m_displayScale.valid) {
        m_displayScale = {};
        m_displayScale.valid = true;
        if (m_frame) {
            const auto toUnit = [this](double physical) { return valueOf(physical); };
            m_displayScale.ticks = DisplayScale::colorBarTicks(
                *m_frame, m_spanLocked ? m_span : PhysicalBand(), toUnit, unit());
            // The ends of a typed span read as typed.
            if (m_spanLocked && m_span.isTypedIn(unitKey()) && !m_displayScale.ticks.isEmpty()) {
                const auto setEnd = [this](QVariant& tick, double value) {
                    QVariantMap map = tick.toMap();
                    map.insert(QStringLiteral("value"), value);
                    map.insert(QStringLiteral("text"), formatUnitValue(value, unit()));
                    tick = map;
                };
                setEnd(m_displayScale.ticks.first(), m_span.typedLow);
                setEnd(m_displayScale.ticks.last(), m_span.typedHigh);
            }
            m_displayScale.histogram = DisplayScale::histogram(*m_frame, toUnit, &m_displayScale.maximumPixels);
        }
    }
    return m_displayScale;
}

QVariantList DocumentModel::colorBarTicks() const
{
    return displayScaleCache().ticks;
}

double DocumentModel::displayMinimum() const
{
    return frameHasValues() ? spanMinimum() : std::numeric_limits<double>::quiet_NaN();
}

double DocumentModel::displayMaximum() const
{
    return frameHasValues() ? spanMaximum() : std::numeric_limits<double>::quiet_NaN();
}

QVariantList DocumentModel::histogram() const
{
    return displayScaleCache().histogram;
}

double DocumentModel::histogramMaximumPixels() const
{
    return displayScaleCache().maximumPixels;
}

// Regions.

void DocumentModel::setupRegions()
{
    m_regions->setFormatter([this](double value) { return formatUnitValue(value, unit()); });
    // The roi colours of the house palette, whichever palette the image shows.
    const std::shared_ptr<const PaletteCatalog> catalog = m_palettes->catalog();
    if (const std::shared_ptr<const Palette> fusion
        = catalog ? catalog->palette(catalog->indexOf(QStringLiteral("Fusion"))) : nullptr) {
        for (const Palette::ColourList& list : fusion->colourLists()) {
            if (list.name != "roi" || list.colours.empty())
                continue;
            QList<QColor> colors;
            for (std::uint32_t colour : list.colours)
                colors.append(QColor::fromRgb(colour));
            m_regions->setColors(colors);
        }
    }
    m_regionSaveTimer = new QTimer(this);
    m_regionSaveTimer->setSingleShot(true);
    m_regionSaveTimer->setInterval(500);
    connect(m_regionSaveTimer, &QTimer::timeout, this, &DocumentModel::flushRegionStore);
    connect(m_regions, &RegionListModel::geometryChanged, this, [this] {
        updateRegionStatistics();
        if (m_frame)
            updateFrameInfo();
        updateRois();
    });
    connect(m_regions, &RegionListModel::selectedChanged, this, &DocumentModel::updateRois);
    connect(m_regions, &RegionListModel::edited, this, &DocumentModel::scheduleRegionSave);
}

const UnitTable& DocumentModel::unitTable(const Frame& frame)
{
    const UnitTableKey key { unit(), m_tempTypeIndex, frame.preset, frame.scale, m_calibrationRevision };
    if (m_unitTable.isEmpty() || !(key == m_unitTableKey)) {
        const Unit tableUnit = key.unit;
        const int preset = key.preset;
        m_unitTable.build(frame.scale, [&](double physical) { return convert(physical, tableUnit, preset); });
        m_unitTableKey = key;
    }
    return m_unitTable;
}

void DocumentModel::updateRegionStatistics()
{
    if (m_regions->count() == 0)
        return;
    std::vector<RegionStatistics> statistics;
    statistics.reserve(std::size_t(m_regions->count()));
    if (m_frame) {
        const Frame& frame = m_frame->frame;
        const UnitTable& table = unitTable(frame);
        for (const RegionListModel::Region& region : m_regions->regions())
            statistics.push_back(computeRegionStatistics(frame, region.geometry, table));
    } else {
        statistics.resize(std::size_t(m_regions->count()));
    }
    m_regions->setStatistics(std::move(statistics));
}

QList<FrameInfoModel::Entry> DocumentModel::regionInfoEntries() const
{
    QList<FrameInfoModel::Entry> entries;
    const Unit current = unit();
    for (int row = 0; row < m_regions->count(); ++row) {
        const RegionListModel::Region& region = m_regions->regions()[std::size_t(row)];
        const RegionStatistics& s = region.statistics;
        const QString name = m_regions->name(row);
        if (region.geometry.kind == RegionKind::Spot) {
            entries.append({ name, formatUnitValue(s.mean, current) });
            continue;
        }
        entries.append({ tr("%1 Min").arg(name), formatUnitValue(s.minimum, current) });
        entries.append({ tr("%1 Max").arg(name), formatUnitValue(s.maximum, current) });
        entries.append({ tr("%1 Mean").arg(name), formatUnitValue(s.mean, current) });
        entries.append({ tr("%1 Std Dev").arg(name), formatUnitValue(s.deviation, current) });
    }
    return entries;
}

void DocumentModel::updateUnitValues()
{
    updateCursorValue();
    updateRegionStatistics();
    if (m_frame)
        updateFrameInfo();
}

void DocumentModel::invalidateUnits()
{
    ++m_calibrationRevision;
    updateUnitValues();
    // Span and isotherm stay put in physical values; the values they show move.
    Q_EMIT isothermChanged();
    onDisplayScaleInputsChanged();
    // Series keep the calibration they began with.
    m_regionSeries->invalidate();
}

void DocumentModel::updateRois()
{
    QVariantList rois;
    for (int row = 0; row < m_regions->count(); ++row) {
        const RegionGeometry& g = m_regions->regions()[std::size_t(row)].geometry;
        const QRectF rect = QRectF(g.p1, g.p2).normalized();
        rois.append(QVariantMap {
            { QStringLiteral("x"), rect.x() },
            { QStringLiteral("y"), rect.y() },
            { QStringLiteral("width"), rect.width() },
            { QStringLiteral("height"), rect.height() },
            { QStringLiteral("color"), m_regions->color(row).name() },
            { QStringLiteral("kind"), RegionListModel::kindName(g.kind) },
            { QStringLiteral("label"), m_regions->name(row) },
            { QStringLiteral("x1"), g.p1.x() },
            { QStringLiteral("y1"), g.p1.y() },
            { QStringLiteral("x2"), g.p2.x() },
            { QStringLiteral("y2"), g.p2.y() },
            { QStringLiteral("selected"), row == m_regions->selected() },
        });
    }
    rois.append(m_pixelMarks);
    if (rois == m_rois)
        return;
    m_rois = rois;
    Q_EMIT roisChanged();
}

void DocumentModel::setPixelMarks(const QVariantList& marks)
{
    if (marks == m_pixelMarks)
        return;
    m_pixelMarks = marks;
    updateRois();
}

void DocumentModel::setRegionStorePath(const QString& path)
{
    if (path == m_regionStorePath)
        return;
    flushRegionStore();
    m_regionStorePath = path;
    m_regionsLoaded = false;
    if (m_source)
        loadRegions();
}

void DocumentModel::loadRegions()
{
    if (m_regionsLoaded || m_regionStorePath.isEmpty())
        return;
    m_regionsLoaded = true;
    QString error;
    const std::optional<RegionStoreContents> contents = RegionStore::load(m_regionStorePath, &error);
    if (!contents) {
        // Left as it is: the user may want it back, and it is only replaced after an edit.
        qCWarning(lcRegions).noquote() << "regions not restored:" << error;
        return;
    }
    if (!contents->regions.empty())
        m_regions->setRegions(contents->regions);
    m_objectParameters->applyJson(contents->objectParameters);
}

void DocumentModel::scheduleRegionSave()
{
    if (m_regionStorePath.isEmpty())
        return;
    m_regionSavePending = true;
    m_regionSaveTimer->start();
}

void DocumentModel::flushRegionStore()
{
    if (!m_regionSavePending)
        return;
    m_regionSavePending = false;
    m_regionSaveTimer->stop();
    QString error;
    if (!RegionStore::save(m_regionStorePath, { m_regions->geometries(), m_objectParameters->toJson() }, &error))
        qCWarning(lcRegions).noquote() << "regions not kept:" << error;
}

// Object parameters and frame export.

void DocumentModel::setUpObjectParameters()
{
    m_objectParameters = new ObjectParameters(this);
    m_objectParameters->setTemperatureScale(temperatureScale(m_tempTypeIndex));
    connect(m_objectParameters, &ObjectParameters::calibrationChanged, this, [this] {
        m_calibration = Calibration(m_objectParameters->calibration());
        invalidateUnits();
    });
    // What the user sets is kept with the regions.
    connect(m_objectParameters, &ObjectParameters::edited, this, &DocumentModel::scheduleRegionSave);
    connect(this, &DocumentModel::tempTypeIndexChanged, m_objectParameters,
        [this] { m_objectParameters->setTemperatureScale(temperatureScale(m_tempTypeIndex)); });
}

QString DocumentModel::exportPath(const QVariant& target, QString* error) const
{
    const QString path = FrameExporter::localPath(target);
    if (path.isEmpty()) {
        *error = tr("Choose a file to save the frame to.");
        return QString();
    }
    if (!m_frame) {
        *error = tr("There is no frame to save yet.");
        return QString();
    }
    const QFileInfo destination(path);
    if (destination.exists() && !filePath().isEmpty()
        && destination.canonicalFilePath() == QFileInfo(filePath()).canonicalFilePath()) {
        *error = tr("A frame cannot replace the file it is shown from.");
        return QString();
    }
    return path;
}

QString DocumentModel::unitDescription() const
{
    const Unit current = unit();
    QString text = unitText(current);
    if (current == TEMPERATURE_FACTORY || current == TEMPERATURE_USER)
        text += QStringLiteral(" [%1]").arg(tempTypeStrings().value(m_tempTypeIndex));
    else if (current == RADIANCE_FACTORY || current == RADIANCE_USER)
        text += QStringLiteral(" [W/(m\u00B2 sr)]");
    return text;
}

QString DocumentModel::exportFrameFits(const QVariant& target)
{
    QString error;
    const QString path = exportPath(target, &error);
    if (path.isEmpty())
        return error;
    return FrameExporter::writeFits(path, m_frame->frame,
        m_source ? m_source->info.countRange : CountRange {}, m_calibration.parameters(),
        m_source ? m_source->info.keywords : FileKeywords {});
}

QString DocumentModel::exportFrameCsv(const QVariant& target)
{
    QString error;
    const QString path = exportPath(target, &error);
    if (path.isEmpty())
        return error;
    const Unit current = unit();
    const int preset = m_frame->frame.preset;
    return FrameExporter::writeCsv(
        path, m_frame->frame, QStringLiteral("# unit: ") + unitDescription(),
        [this, current, preset](double physical) { return convert(physical, current, preset); },
        [current](double value) { return formatUnitValue(value, current); });
}

QString DocumentModel::exportFramePng(const QVariant& target)
{
    QString error;
    const QString path = exportPath(target, &error);
    if (path.isEmpty())
        return error;
    const std::shared_ptr<const Palette> palette = m_palettes->catalog()->palette(m_paletteIndex);
    QList<FrameExporter::Tick> ticks;
    // The colour bar's ticks where the document has them; else the frame's lowest and
    // highest value at the ends.
    const QVariant barTicks = property("colorBarTicks");
    if (barTicks.isValid()) {
        for (const QVariant& tick : barTicks.toList()) {
            const QVariantMap map = tick.toMap();
            ticks.append({ map.value(QStringLiteral("position")).toDouble(),
                map.value(QStringLiteral("text")).toString() });
        }
    } else if (m_frame->statistics.pixels > 0) {
        const Frame& frame = m_frame->frame;
        const Unit current = unit();
        double low = convert(frame.scale.toPhysical(m_frame->statistics.minimum), current, frame.preset);
        double high = convert(frame.scale.toPhysical(m_frame->statistics.maximum), current, frame.preset);
        if (low > high)
            std::swap(low, high);
        ticks = { { 0.0, formatUnitValue(low, current) }, { 1.0, formatUnitValue(high, current) } };
    }
    return FrameExporter::writePng(path, m_image, palette ? *palette : Palette(), ticks);
}

// Series and movie export.

void DocumentModel::setUpSeries()
{
    m_movieExporter = new MovieExporter(
        [this](QString* error) -> std::optional<MovieExporter::Job> {
            const FilePlayer* player = filePlayer();
            if (!player || !m_source) {
                *error = player ? tr("The file is not open yet.") : tr("Cameras record from their panel.");
                return std::nullopt;
            }
            MovieExporter::Job job;
            job.sourcePath = player->path();
            job.first = player->boundStart();
            job.last = player->boundEnd();
            job.calibration = m_calibration.parameters();
            return job;
        },
        this);
    m_regionSeries = new RegionSeries(
        [this](QString* error) { return regionSeriesSetup(error); }, realtime() != nullptr, this);
    // A series holds the unit it started with.
    connect(this, &DocumentModel::unitChanged, m_regionSeries, &RegionSeries::invalidate);
    connect(this, &DocumentModel::tempTypeIndexChanged, m_regionSeries, &RegionSeries::invalidate);
    connect(m_regions, &RegionListModel::geometryChanged, m_regionSeries, &RegionSeries::invalidate);
    // And a file's, the frames between the bounds.
    if (FilePlayer* player = filePlayer()) {
        connect(player, &FilePlayer::boundStartChanged, m_regionSeries, &RegionSeries::invalidate);
        connect(player, &FilePlayer::boundEndChanged, m_regionSeries, &RegionSeries::invalidate);
    }
}

std::optional<RegionSeriesSetup> DocumentModel::regionSeriesSetup(QString* error) const
{
    if (!m_source) {
        *error = tr("The source is not open yet.");
        return std::nullopt;
    }
    RegionSeriesSetup setup;
    setup.regions = m_regions->geometries();
    for (int row = 0; row < m_regions->count(); ++row)
        setup.names.append(m_regions->name(row));
    if (const FilePlayer* player = filePlayer()) {
        setup.path = player->path();
        setup.first = player->boundStart();
        setup.last = player->boundEnd();
    }
    // A copy: the worker converts while the document may change its own.
    const Calibration calibration = m_calibration;
    const zelkir::Unit target = sourceUnit(unit());
    const TemperatureScale scale = temperatureScale(m_tempTypeIndex);
    setup.convert = [calibration, target, scale](double physical, int preset) {
        return calibration.convert(physical, target, scale, preset);
    };
    setup.unit = unit();
    switch (unit()) {
    case COUNTS:
        setup.unitSymbol = tr("counts");
        break;
    case RADIANCE_FACTORY:
    case RADIANCE_USER:
        setup.unitSymbol = QStringLiteral("W/(m\u00B2 sr)");
        break;
    case TEMPERATURE_FACTORY:
    case TEMPERATURE_USER:
        setup.unitSymbol = tempTypeStrings().value(m_tempTypeIndex);
        break;
    }
    return setup;
}

void DocumentModel::feedRegionSeries()
{
    if (!realtime() || !m_frame || m_regions->count() == 0)
        return;
    // The figures alone: a line's profile stays with the region list.
    std::vector<RegionStatistics> statistics;
    statistics.reserve(std::size_t(m_regions->count()));
    for (const RegionListModel::Region& region : m_regions->regions()) {
        RegionStatistics figures;
        figures.pixels = region.statistics.pixels;
        figures.minimum = region.statistics.minimum;
        figures.maximum = region.statistics.maximum;
        figures.mean = region.statistics.mean;
        figures.deviation = region.statistics.deviation;
        statistics.push_back(std::move(figures));
    }
    // The host's steady clock of the frame's arrival; the frame's own time without it.
    const double seconds
        = m_frame->receivedNs != 0 ? double(m_frame->receivedNs) * 1e-9 : m_frame->frame.time;
    if (qIsFinite(seconds))
        m_regionSeries->appendLive(m_frame->index, seconds, statistics);
}

QString DocumentModel::exportMovieFits(const QVariant& path)
{
    return m_movieExporter->start(path);
}

} // namespace zelkir
