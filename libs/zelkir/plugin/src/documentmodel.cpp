#include "documentmodel.h"

#include "frameinfonames.h"
#include "frameproducer.h"
#include "movieexporter.h"
#include "regionseries.h"

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
    setUpSeries();
    m_producer->start();
}

DocumentModel::~DocumentModel() = default;

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
        Q_EMIT imageSizeChanged();
    }
    updateFrameInfo();
    updateCursorValue();
}

void DocumentModel::clearFrame()
{
    m_frame.reset();
    m_image = QImage();
    Q_EMIT imageChanged();
    m_frameInfo->setEntries({});
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
    updateCursorValue();
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
    updateCursorValue();
}

void DocumentModel::setCursorPos(const QPoint& position)
{
    if (position == m_cursorPos)
        return;
    m_cursorPos = position;
    Q_EMIT cursorPosChanged();
    updateCursorValue();
}

void DocumentModel::setRois(const QVariantList& rois)
{
    if (!realtime() || rois == m_rois)
        return;
    m_rois = rois;
    Q_EMIT roisChanged();
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

QString DocumentModel::exportMovieFits(const QVariant& path)
{
    return m_movieExporter->start(path);
}

} // namespace zelkir
