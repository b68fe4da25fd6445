#include "csimulatedircamera.h"

#include <zelkir/io/calibration.h>

#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>

#include <arpa/inet.h>
#include <ifaddrs.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

// Register map of the description (fake-ir-camera.xml). Below 0x400 are the registers
// Aravis's emulated camera reads itself; ours start at 0x9000.
constexpr quint32 WidthRegister = 0x100;
constexpr quint32 HeightRegister = 0x104;
constexpr quint32 SensorHeightRegister = 0x118;
constexpr quint32 SensorWidthRegister = 0x11c;
constexpr quint32 PixelFormatRegister = 0x128;
constexpr quint32 OffsetXRegister = 0x130;
constexpr quint32 OffsetYRegister = 0x134;
constexpr quint32 FramePeriodRegister = 0x138;
constexpr quint32 IntegrationTimeRegister = 0x9000;
constexpr quint32 GainRegister = 0x9008;
constexpr quint32 TemperatureRegister = 0x9010;
constexpr quint32 RadianceGainBaseRegister = 0x9018;
constexpr quint32 RadianceOffsetRegister = 0x9020;
constexpr quint32 PlanckRRegister = 0x9028;
constexpr quint32 PlanckBRegister = 0x9030;
constexpr quint32 PlanckFRegister = 0x9038;
constexpr quint32 PlanckORegister = 0x9040;
constexpr quint32 TestPatternRegister = 0x9050;
constexpr quint32 BadPixelCapacityRegister = 0xA000;
constexpr quint32 BadPixelCountRegister = 0xA004;
constexpr quint32 BadPixelListRegister = 0xA100;
constexpr quint32 BadPixelCapacity = 1024;

// Bootstrap strings that discovery and the device features report.
constexpr quint32 ManufacturerNameOffset = 0x48;
constexpr quint32 ModelNameOffset = 0x68;
constexpr quint32 ManufacturerInfoOffset = 0xa8;

constexpr ArvPixelFormat Mono14 = 0x01100025;
constexpr ArvPixelFormat Mono16 = 0x01100007;

// At this integration time and gain 1, Mono14 counts are those of the sample generator's
// preset 0, so a recording and the live camera agree.
constexpr double DefaultIntegrationUs = 5000.0;
// The person of the scene crosses the picture in this many seconds.
constexpr double SceneCrossingS = 20.0;

std::optional<in_addr> interfaceAddress(const QString& nameOrAddress)
{
    in_addr address {};
    if (::inet_pton(AF_INET, nameOrAddress.toLatin1().constData(), &address) == 1)
        return address;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return std::nullopt;
    std::optional<in_addr> found;
    for (const ifaddrs* i = interfaces; i && !found; i = i->ifa_next) {
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && nameOrAddress == QLatin1String(i->ifa_name))
            found = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
    }
    ::freeifaddrs(interfaces);
    return found;
}

double temperatureAt(double seconds)
{
    return 31.5 + 0.6 * std::sin(2.0 * M_PI * seconds / 420.0) + 0.1 * std::sin(2.0 * M_PI * seconds / 37.0);
}

} // namespace

std::unique_ptr<CSimulatedIrCamera> CSimulatedIrCamera::Create(
    const SimulatorSettings& settings, QString* error)
{
    // Aravis reads the description from a file; ours is compiled in.
    QFile description(QStringLiteral(":/fake-ir-camera.xml"));
    QTemporaryFile file;
    if (!description.open(QIODevice::ReadOnly) || !file.open() || file.write(description.readAll()) < 0
        || !file.flush()) {
        *error = QStringLiteral("cannot write the GenICam description to a temporary file");
        return nullptr;
    }
    std::unique_ptr<CSimulatedIrCamera> camera(new CSimulatedIrCamera(settings));
    const std::optional<in_addr> address = interfaceAddress(settings.interfaceName);
    if (!address) {
        *error = QStringLiteral("no interface with the name or IPv4 address %1").arg(settings.interfaceName);
        return nullptr;
    }
    camera->m_camera = arv_fake_camera_new_full(
        settings.serial.toUtf8().constData(), QFile::encodeName(file.fileName()).constData());
    camera->writeInitialRegisters();
    arv_fake_camera_set_fill_pattern(camera->m_camera, &CSimulatedIrCamera::Fill, camera.get());
    const char* serverError = nullptr;
    camera->m_server = CGvCameraServer::Create(
        camera->m_camera, *address, settings.packetLossPerThousand / 1000.0, settings.seed, &serverError);
    if (!camera->m_server) {
        *error = QStringLiteral("%1 on %2").arg(QLatin1String(serverError), settings.interfaceName);
        return nullptr;
    }
    return camera;
}

CSimulatedIrCamera::CSimulatedIrCamera(const SimulatorSettings& settings)
    : m_settings(settings)
    , m_scene(settings.width, settings.height, SceneCrossingS, settings.seed)
    , m_sensor(settings.width, settings.height, settings.seed)
    , m_noise(settings.seed)
    , m_startUs(g_get_monotonic_time())
{
}

CSimulatedIrCamera::~CSimulatedIrCamera()
{
    // Stops the server's thread before the camera and the scene it fills from go away.
    m_server.reset();
    if (m_camera)
        g_object_unref(m_camera);
}

void CSimulatedIrCamera::writeInitialRegisters()
{
    const auto writeText = [this](quint32 offset, const char* text) {
        arv_fake_camera_write_memory(m_camera, offset, quint32(std::strlen(text) + 1), text);
    };
    writeText(ManufacturerNameOffset, "QELT Systems");
    writeText(ModelNameOffset, "Simulated IR camera");
    writeText(ManufacturerInfoOffset, "zelkir-fake-ir-camera");

    writeRegister(SensorWidthRegister, quint32(m_settings.width));
    writeRegister(SensorHeightRegister, quint32(m_settings.height));
    writeRegister(WidthRegister, quint32(m_settings.width));
    writeRegister(HeightRegister, quint32(m_settings.height));
    writeRegister(PixelFormatRegister, m_settings.mono16 ? Mono16 : Mono14);
    writeRegister(FramePeriodRegister, quint32(std::lround(1e6 / m_settings.rate)));
    writeRegister(TestPatternRegister, m_settings.testPattern ? 1 : 0);

    const zelkir::CalibrationParameters calibration = SampleCamera::calibration(false);
    writeFloat(IntegrationTimeRegister, DefaultIntegrationUs);
    writeFloat(GainRegister, 1.0);
    writeFloat(TemperatureRegister, temperatureAt(0.0));
    writeFloat(RadianceGainBaseRegister, calibration.radiance->gain * DefaultIntegrationUs);
    writeFloat(RadianceOffsetRegister, calibration.radiance->offset);
    writeFloat(PlanckRRegister, calibration.planck->r);
    writeFloat(PlanckBRegister, calibration.planck->b);
    writeFloat(PlanckFRegister, calibration.planck->f);
    writeFloat(PlanckORegister, calibration.planck->o);
    writeRegister(BadPixelCapacityRegister, BadPixelCapacity);
    writeRegister(BadPixelCountRegister, 0);
}

void CSimulatedIrCamera::Fill(ArvBuffer* buffer, void* self, guint32, guint32, ArvPixelFormat format)
{
    static_cast<CSimulatedIrCamera*>(self)->fill(buffer, format);
}

void CSimulatedIrCamera::fill(ArvBuffer* buffer, ArvPixelFormat format)
{
    const double seconds = double(g_get_monotonic_time() - m_startUs) / 1e6;
    writeFloat(TemperatureRegister, temperatureAt(seconds));

    // Aravis only calls us with a buffer of at least the payload these registers give, but
    // reports its size as 0 here.
    const quint32 registerWidth = readRegister(WidthRegister);
    const quint32 registerHeight = readRegister(HeightRegister);
    // Bad-pixel entries hold 16-bit coordinates; no sensor of ours is larger.
    if (registerWidth > 0xffff || registerHeight > 0xffff)
        return;
    const int width = int(registerWidth);
    const int height = int(registerHeight);
    auto* data = static_cast<std::uint8_t*>(const_cast<void*>(arv_buffer_get_data(buffer, nullptr)));
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (format != Mono14 && format != Mono16) {
        std::memset(data, 0, pixels * ARV_PIXEL_FORMAT_BIT_PER_PIXEL(format) / 8);
        return;
    }
    const bool mono16 = format == Mono16;
    if (readRegister(TestPatternRegister) != 0)
        renderRamp(width, height, mono16, arv_buffer_get_frame_id(buffer));
    else
        renderScene(
            width, height, int(readRegister(OffsetXRegister)), int(readRegister(OffsetYRegister)), mono16);
    CorrectBadPixels(m_counts, width, height, badPixelEntries(), m_listed);
    for (std::size_t i = 0; i < pixels; ++i)
        qToLittleEndian(m_counts[i], data + 2 * i);
}

void CSimulatedIrCamera::renderScene(int width, int height, int left, int top, bool mono16)
{
    double integrationUs = readFloat(IntegrationTimeRegister);
    double gain = readFloat(GainRegister);
    if (!(integrationUs > 0.0) || !std::isfinite(integrationUs))
        integrationUs = DefaultIntegrationUs;
    if (!(gain > 0.0) || !std::isfinite(gain))
        gain = 1.0;
    // The same radiance step as the description's CalibrationRadianceGain.
    const zelkir::LinearStep step { readFloat(RadianceGainBaseRegister)
            / (integrationUs * gain * (mono16 ? 4 : 1)),
        readFloat(RadianceOffsetRegister) };
    const double seconds = double(g_get_monotonic_time() - m_startUs) / 1e6;
    m_scene.render(seconds, m_kelvin);
    m_sensor.expose(m_kelvin, step, mono16 ? 65535 : 16383, seconds, m_noise, m_sensorCounts);

    // The image is a window of the sensor; a window the registers let stray past the
    // sensor's edge is cut back.
    m_counts.assign(std::size_t(width) * std::size_t(height), 0);
    left = std::clamp(left, 0, m_settings.width);
    top = std::clamp(top, 0, m_settings.height);
    const int columns = std::clamp(width, 0, m_settings.width - left);
    const int rows = std::clamp(height, 0, m_settings.height - top);
    for (int y = 0; y < rows; ++y) {
        const auto from = m_sensorCounts.begin() + std::ptrdiff_t(y + top) * m_settings.width + left;
        std::copy(from, from + columns, m_counts.begin() + std::ptrdiff_t(y) * width);
    }
}

void CSimulatedIrCamera::renderRamp(int width, int height, bool mono16, quint64 frameId)
{
    const quint32 mask = mono16 ? 0xffff : 0x3fff;
    m_counts.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            m_counts[std::size_t(y) * std::size_t(width) + std::size_t(x)]
                = quint16((quint64(x) + 3 * quint64(y) + 7 * frameId) & mask);
    }
}

std::vector<std::uint32_t> CSimulatedIrCamera::badPixelEntries()
{
    const quint32 count = std::min(readRegister(BadPixelCountRegister), BadPixelCapacity);
    std::vector<std::uint32_t> entries(count);
    if (count > 0)
        arv_fake_camera_read_memory(m_camera, BadPixelListRegister, count * 4, entries.data());
    for (std::uint32_t& entry : entries)
        entry = qFromBigEndian(entry);
    return entries;
}

void CSimulatedIrCamera::CorrectBadPixels(std::vector<quint16>& counts, int width, int height,
    const std::vector<std::uint32_t>& entries, std::vector<std::uint8_t>& listed)
{
    if (entries.empty())
        return;
    listed.assign(std::size_t(width) * std::size_t(height), 0);
    const auto inside
        = [&](std::uint32_t entry) { return int(entry >> 16) < width && int(entry & 0xffff) < height; };
    for (std::uint32_t entry : entries) {
        if (inside(entry))
            listed[std::size_t(entry & 0xffff) * std::size_t(width) + (entry >> 16)] = 1;
    }
    // Only listed pixels change and only unlisted ones are read, so the order of the list
    // does not matter.
    for (std::uint32_t entry : entries) {
        if (!inside(entry))
            continue;
        const int x = int(entry >> 16);
        const int y = int(entry & 0xffff);
        unsigned sum = 0;
        unsigned n = 0;
        for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, height - 1); ++ny) {
            for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, width - 1); ++nx) {
                const std::size_t i = std::size_t(ny) * std::size_t(width) + std::size_t(nx);
                if (!listed[i]) {
                    sum += counts[i];
                    ++n;
                }
            }
        }
        if (n > 0)
            counts[std::size_t(y) * std::size_t(width) + std::size_t(x)] = quint16((sum + n / 2) / n);
    }
}

quint32 CSimulatedIrCamera::readRegister(quint32 address) const
{
    guint32 value = 0;
    arv_fake_camera_read_register(m_camera, address, &value);
    return value;
}

void CSimulatedIrCamera::writeRegister(quint32 address, quint32 value)
{
    arv_fake_camera_write_register(m_camera, address, value);
}

double CSimulatedIrCamera::readFloat(quint32 address) const
{
    quint64 raw = 0;
    arv_fake_camera_read_memory(m_camera, address, sizeof raw, &raw);
    raw = qFromBigEndian(raw);
    double value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

void CSimulatedIrCamera::writeFloat(quint32 address, double value)
{
    quint64 raw;
    std::memcpy(&raw, &value, sizeof raw);
    raw = qToBigEndian(raw);
    arv_fake_camera_write_memory(m_camera, address, sizeof raw, &raw);
}
