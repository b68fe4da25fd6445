// Times the figures of 16 regions (boxes and ellipses from 64 x 64 to 160 x 128, lines and
// spots) on a 640 x 512 frame against rendering that frame through FrameRenderer, in
// linear and DDE mode, and prints both with their ratio; the figures are meant to cost at
// most a tenth of a render. Also times building the unit table for temperatures, which
// happens only when the unit, calibration or frame scale change.

#include "framerenderer.h"
#include "regionstatistics.h"

#include <zelkir/io/calibration.h>

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace zelkir;

namespace {

constexpr int Width = 640;
constexpr int Height = 512;
constexpr int Rounds = 60;

/// A warm scene: a smooth gradient with a few hot blobs and sensor noise, in 14 bits.
Frame makeFrame()
{
    QRandomGenerator random(5);
    Frame frame;
    frame.width = Width;
    frame.height = Height;
    frame.counts.resize(std::size_t(Width) * Height);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            double v = 6000 + 3 * x + 2 * y;
            v += 4000 * std::exp(-(std::pow(x - 200, 2) + std::pow(y - 150, 2)) / 2000.0);
            v += 2500 * std::exp(-(std::pow(x - 480, 2) + std::pow(y - 380, 2)) / 5000.0);
            v += random.bounded(40);
            frame.counts[std::size_t(y) * Width + x] = quint16(std::clamp(v, 0.0, 16383.0));
        }
    }
    return frame;
}

std::vector<RegionGeometry> makeRegions()
{
    std::vector<RegionGeometry> regions;
    const QSizeF sizes[] = { { 64, 64 }, { 96, 80 }, { 128, 96 }, { 160, 128 }, { 100, 64 }, { 72, 120 } };
    for (int i = 0; i < 6; ++i) {
        const QPointF corner(20 + 95 * i, 30 + 50 * i);
        regions.push_back({ RegionKind::Box, corner, corner + QPointF(sizes[i].width(), sizes[i].height()) });
        const QPointF other(600 - 90 * i, 20 + 60 * i);
        regions.push_back(
            { RegionKind::Ellipse, other, other - QPointF(sizes[5 - i].width(), -sizes[5 - i].height()) });
    }
    regions.push_back({ RegionKind::Line, QPointF(5.5, 5.5), QPointF(630.5, 500.5) });
    regions.push_back({ RegionKind::Line, QPointF(320, 0.5), QPointF(320, 511.5) });
    regions.push_back({ RegionKind::Spot, QPointF(200.5, 150.5), QPointF() });
    regions.push_back({ RegionKind::Spot, QPointF(480.5, 380.5), QPointF() });
    return regions;
}

template <typename Work> double medianMilliseconds(Work work)
{
    std::vector<double> times;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) * 1e-6);
    }
    std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
    return times[Rounds / 2];
}

} // namespace

int main()
{
    const Frame frame = makeFrame();
    const std::vector<RegionGeometry> regions = makeRegions();

    CalibrationParameters parameters;
    parameters.radiance = LinearStep { 0.0005, 0.0 };
    parameters.planck = PlanckCurve { 5685.76, 1404.0, 1.0, 0.0 };
    const Calibration calibration(parameters);
    UnitTable table;
    const double buildMs = medianMilliseconds([&] {
        table.build(frame.scale, [&](double physical) {
            return calibration.convert(physical, Unit::TemperatureFactory, TemperatureScale::Celsius);
        });
    });

    qint64 pixels = 0;
    double sink = 0;
    const double statisticsMs = medianMilliseconds([&] {
        pixels = 0;
        for (const RegionGeometry& region : regions) {
            const RegionStatistics statistics = computeRegionStatistics(frame, region, table);
            pixels += statistics.pixels;
            sink += statistics.mean;
        }
    });

    auto palette = std::make_shared<const Palette>();
    const CountRange range { 0, 16383 };
    std::printf("16 regions on %d x %d (%lld pixels): %.3f ms (checksum %.1f)\n", Width, Height,
        static_cast<long long>(pixels), statisticsMs, sink / Rounds);
    std::printf("unit table for temperatures (only on unit or calibration changes): %.3f ms\n", buildMs);
    for (ScaleMode mode : { ScaleMode::Linear, ScaleMode::Dde }) {
        EnhancementSettings settings;
        settings.mode = mode;
        FrameRenderer renderer;
        RenderedFrame out;
        out.frame = frame;
        const double renderMs = medianMilliseconds([&] { renderer.render(settings, palette, range, out); });
        std::printf("render %-6s: %.3f ms   regions / render = %.1f %%\n",
            mode == ScaleMode::Dde ? "DDE" : "linear", renderMs, 100.0 * statisticsMs / renderMs);
    }
    return 0;
}
