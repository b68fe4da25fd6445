#include "documentmodel.h"

#include "frameinfonames.h"
#include "frameproducer.h"
#include "logging.h"
#include "movieexporter.h"
#include "palettecatalog.h"
#include "regionseries.h"
#include "regionstore.h"
#include "unitformat.h"

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
    updateRenderSettings();
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
    m_calibration = Calibration(m_source->info.calibration);
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
    restoreObjectParameters(contents->objectParameters);
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
    if (!RegionStore::save(m_regionStorePath, { m_regions->geometries(), storedObjectParameters() }, &error))
        qCWarning(lcRegions).noquote() << "regions not kept:" << error;
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
