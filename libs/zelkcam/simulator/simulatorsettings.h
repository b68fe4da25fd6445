#pragma once

#include <QString>

#include <cstdint>

/// What the simulated IR camera is asked to be.
struct SimulatorSettings
{
    /// Interface name or IPv4 address to answer on.
    QString interfaceName = QStringLiteral("127.0.0.1");
    QString serial = QStringLiteral("IR0001");
    /// Sensor size in pixels; the image starts at the full sensor.
    int width = 640;
    int height = 512;
    /// Frames per second.
    double rate = 30.0;
    bool mono16 = false;
    /// Share of stream packets dropped, per thousand (0-1000).
    double packetLossPerThousand = 0.0;
    /// Start with the ramp test pattern instead of the scene.
    bool testPattern = false;
    std::uint64_t seed = 1;
};
