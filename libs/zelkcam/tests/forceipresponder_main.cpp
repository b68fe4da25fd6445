// zelkcam-forceip-responder: the tests' FORCEIP responder as a program, for scripts and
// screenshots that need a camera on another subnet. Runs only where loopback is the
// only network interface (inside scripts/with-fake-cameras.sh), until SIGINT or SIGTERM.
#include "cforceipresponder.h"

#include <dns/ipv4address.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QThread>

#include <net/if.h>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void Stop(int)
{
    g_stop = 1;
}

bool OnlyLoopback()
{
    struct if_nameindex* names = ::if_nameindex();
    if (!names)
        return false;
    bool onlyLoopback = true;
    for (const struct if_nameindex* name = names; name->if_index != 0; ++name)
        onlyLoopback = onlyLoopback && qstrcmp(name->if_name, "lo") == 0;
    ::if_freenameindex(names);
    return onlyLoopback;
}

bool ParseAddress(const QString& text, quint32& value)
{
    const std::optional<dns::CIPv4Address> address = dns::CIPv4Address::Parse(text.toLatin1().constData());
    if (address)
        value = address->Value();
    return address.has_value();
}

bool ParseMac(const QString& text, CForceIpResponder::SMac& mac)
{
    const QStringList bytes = text.split(u':');
    if (bytes.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        mac[i] = std::uint8_t(bytes[i].toUInt(&ok, 16));
        if (!ok || bytes[i].size() != 2)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CForceIpResponder::SSettings settings;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers GigE Vision discovery as a camera on another subnet (broadcast acknowledgements only) "
        "and takes FORCEIP, bringing the camera program up at the forced address."));
    parser.addHelpOption();
    const QCommandLineOption mac(QStringLiteral("mac"), QStringLiteral("MAC address."), QStringLiteral("mac"),
        QStringLiteral("02:00:5e:10:00:42"));
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Address it claims."),
        QStringLiteral("ip"), QStringLiteral("192.168.77.5"));
    const QCommandLineOption mask(QStringLiteral("mask"), QStringLiteral("Its subnet mask."),
        QStringLiteral("ip"), QStringLiteral("255.255.255.0"));
    const QCommandLineOption gateway(QStringLiteral("gateway"), QStringLiteral("Its default gateway."),
        QStringLiteral("ip"), QStringLiteral("192.168.77.1"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serial number."),
        QStringLiteral("text"), QStringLiteral("FAKE0077"));
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("Model name."),
        QStringLiteral("text"), QStringLiteral("Fake"));
    const QCommandLineOption program(QStringLiteral("camera-program"),
        QStringLiteral("Started with -i <address> -s <serial> on FORCEIP."), QStringLiteral("path"),
        QStringLiteral("arv-fake-gv-camera-0.8"));
    parser.addOptions({ mac, address, mask, gateway, serial, model, program });
    parser.process(app);

    if (!ParseMac(parser.value(mac), settings.mac) || !ParseAddress(parser.value(address), settings.address)
        || !ParseAddress(parser.value(mask), settings.subnetMask)
        || !ParseAddress(parser.value(gateway), settings.defaultGateway)) {
        std::fprintf(stderr, "bad MAC or address\n");
        return 2;
    }
    settings.serial = parser.value(serial).toLatin1();
    settings.model = parser.value(model).toLatin1();
    settings.cameraProgram = parser.value(program);
    if (!OnlyLoopback()) {
        std::fprintf(stderr,
            "network interfaces other than lo are present; run inside scripts/with-fake-cameras.sh\n");
        return 1;
    }

    // Blocking the signals instead would pass the mask on to the camera program.
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    const auto responder = std::make_unique<CForceIpResponder>(settings);
    if (!responder->isListening()) {
        std::fprintf(stderr, "cannot bind the control port\n");
        return 1;
    }
    std::printf("answers as %s\n", qPrintable(parser.value(address)));
    std::fflush(stdout);
    while (!g_stop)
        QThread::msleep(50);
    return 0;
}
