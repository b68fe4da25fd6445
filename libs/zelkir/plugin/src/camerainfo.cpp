#include "camerainfo.h"

#include "logging.h"

#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <new>

namespace zelkir {

namespace {

using zelk::CString;
using zelk::cam::SCameraInfo;

// Raised whenever the meaning of an element changes; other versions are not read.
const QString formatVersion = QStringLiteral("1");
const QString rootElement = QStringLiteral("camera");
const QString parameterElement = QStringLiteral("parameter");

QString toQt(const CString& text)
{
    return QString::fromUtf8(text.c_str());
}

CString toCam(const QString& text)
{
    return CString(text.toUtf8().constData());
}

// The text fields, in the order they are written. The device record repeats some of
// the camera's; loading fills both.
struct SField
{
    const char* element;
    CString SCameraInfo::*camera;
    CString zelk::cam::SDeviceInfo::*device;
};

const SField fields[] = {
    { "transport", nullptr, &zelk::cam::SDeviceInfo::interfaceName },
    { "deviceId", nullptr, &zelk::cam::SDeviceInfo::deviceId },
    { "vendor", &SCameraInfo::vendorName, &zelk::cam::SDeviceInfo::vendorName },
    { "model", &SCameraInfo::modelName, &zelk::cam::SDeviceInfo::modelName },
    { "serial", &SCameraInfo::serialNumber, &zelk::cam::SDeviceInfo::serialNumber },
    { "address", &SCameraInfo::address, &zelk::cam::SDeviceInfo::address },
    { "mac", &SCameraInfo::macAddress, &zelk::cam::SDeviceInfo::macAddress },
    { "userDefinedName", &SCameraInfo::userDefinedName, &zelk::cam::SDeviceInfo::userDefinedName },
    { "deviceVersion", &SCameraInfo::deviceVersion, &zelk::cam::SDeviceInfo::deviceVersion },
    { "firmwareVersion", &SCameraInfo::firmwareVersion, nullptr },
    { "family", &SCameraInfo::family, nullptr },
    { "displayName", &SCameraInfo::displayName, nullptr },
};

std::optional<dns::CIPv4Address> ipv4(const QString& text)
{
    return dns::CIPv4Address::Parse(text.toLatin1().constData());
}

QString ipv4Text(quint32 address)
{
    return address == 0 ? QString() : QString::fromLatin1(dns::CIPv4Address::FromValue(address).Text().data());
}

// The name of the host interface holding `localAddress`; empty when none does.
QString interfaceNameOf(const std::vector<dns::SHostInterface>& host, quint32 localAddress)
{
    const auto holder = std::find_if(host.begin(), host.end(), [&](const dns::SHostInterface& entry) {
        return localAddress != 0 && entry.address.Value() == localAddress;
    });
    return holder == host.end() ? QString() : QString::fromStdString(holder->name);
}

} // namespace

CameraInfo::CameraInfo(const SCameraInfo& camera, const std::vector<dns::SHostInterface>& host, QObject* parent)
    : QObject(parent)
    , m_camera(camera)
    , m_interfaceName(interfaceNameOf(host, camera.deviceInfo.raw.interfaceAddress))
{
    // Cameras without an address (other transports) are not routed at all.
    if (!camera.deviceInfo.address.empty()) {
        const std::optional<dns::CIPv4Address> address = ipv4(toQt(camera.deviceInfo.address));
        m_reachable = address && dns::FindHostInterface(host, *address);
    }
}

QString CameraInfo::displayName() const
{
    if (!m_camera.displayName.empty())
        return toQt(m_camera.displayName);
    const QString name = model().isEmpty() ? QStringLiteral("Camera") : model();
    return serial().isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, serial());
}

QString CameraInfo::model() const
{
    return toQt(m_camera.modelName);
}

QString CameraInfo::vendor() const
{
    return toQt(m_camera.vendorName);
}

QString CameraInfo::serial() const
{
    return toQt(m_camera.serialNumber);
}

QString CameraInfo::address() const
{
    return toQt(m_camera.deviceInfo.address);
}

QString CameraInfo::macAddress() const
{
    return toQt(m_camera.deviceInfo.macAddress);
}

QString CameraInfo::interfaceAddress() const
{
    return ipv4Text(m_camera.deviceInfo.raw.interfaceAddress);
}

QString CameraInfo::transport() const
{
    return toQt(m_camera.deviceInfo.interfaceName);
}

QByteArray CameraInfo::toXml() const
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(rootElement);
    writer.writeAttribute(QStringLiteral("version"), formatVersion);
    for (const SField& field : fields) {
        const CString& value = field.device ? m_camera.deviceInfo.*field.device : m_camera.*field.camera;
        writer.writeTextElement(QLatin1String(field.element), toQt(value));
    }
    writer.writeTextElement(QStringLiteral("interfaceAddress"), interfaceAddress());
    // Only text parameters are kept; the transport fills in the others when it connects.
    for (const zelk::cam::CParametersEntry& entry : m_camera.deviceInfo.parameters) {
        if (entry.value.type() != zelk::CVariant::TypeString)
            continue;
        writer.writeStartElement(parameterElement);
        writer.writeAttribute(QStringLiteral("name"), toQt(entry.name));
        writer.writeCharacters(toQt(entry.value.toString()));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool CameraInfo::save(const QString& path) const
{
    QSaveFile file(path);
    const QByteArray xml = toXml();
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        qCWarning(lcFinder) << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

std::optional<SCameraInfo> CameraInfo::fromXml(const QByteArray& xml, QString& error)
{
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement()) {
        error = xml.trimmed().isEmpty() ? QStringLiteral("the file is empty") : reader.errorString();
        return std::nullopt;
    }
    if (reader.name() != rootElement) {
        error = QStringLiteral("not a camera file (root element <%1>)").arg(reader.name());
        return std::nullopt;
    }
    const QString version = reader.attributes().value(QLatin1String("version")).toString();
    if (version != formatVersion) {
        error = QStringLiteral("version '%1' of the camera file is not read, only %2")
                    .arg(version, formatVersion);
        return std::nullopt;
    }

    SCameraInfo camera;
    zelk::cam::SDeviceInfo& device = camera.deviceInfo;
    QString interfaceAddress;
    try {
        while (reader.readNextStartElement()) {
            const QString name = reader.name().toString();
            if (name == parameterElement) {
                const QString parameter = reader.attributes().value(QLatin1String("name")).toString();
                const QString value = reader.readElementText();
                if (!parameter.isEmpty())
                    device.parameters[toCam(parameter)].setValue(zelk::CVariant(toCam(value)));
                continue;
            }
            if (name == QLatin1String("interfaceAddress")) {
                interfaceAddress = reader.readElementText();
                continue;
            }
            const auto field = std::find_if(std::begin(fields), std::end(fields),
                [&](const SField& f) { return name == QLatin1String(f.element); });
            if (field == std::end(fields)) {
                // Elements added later within the same version are left alone.
                reader.skipCurrentElement();
                continue;
            }
            const CString value = toCam(reader.readElementText());
            if (field->camera)
                camera.*field->camera = value;
            if (field->device)
                device.*field->device = value;
        }
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("out of memory");
        return std::nullopt;
    }
    if (reader.hasError()) {
        error = reader.errorString();
        return std::nullopt;
    }
    if (device.interfaceName.empty()
        || (device.address.empty() && device.serialNumber.empty() && device.deviceId.empty())) {
        error = QStringLiteral("the file names no camera");
        return std::nullopt;
    }
    device.raw.ipAddress = ipv4(toQt(device.address)).value_or(dns::CIPv4Address()).Value();
    device.raw.interfaceAddress = ipv4(interfaceAddress).value_or(dns::CIPv4Address()).Value();
    return camera;
}

} // namespace zelkir
