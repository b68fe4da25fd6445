// Times the display pipeline per frame beside the same chains written with OpenCV and
// beside the machine's memory-bandwidth floor, all in one run on one core.
// Usage: bench_pipeline [palette.rpal] [--repetitions-scale N]
#include "bandwidthfloor.h"
#include "irscene.h"
#include "mediantimer.h"
#include "opencvchains.h"

#include <zelkir/pipeline/displaypipeline.h>
#include <zelkir/pipeline/paletteloader.h>

#include "cpudispatch.h"

#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <sched.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace zelkir;

namespace {

constexpr ValidRange FourteenBit { 0, IrScene::MaximumCount };
constexpr int FrameCount = 8;

struct Goal
{
    std::string text;
    double achieved;
    double required;
    bool atLeast; // achieved must be >= required (else <=)
};

std::string cpuModel()
{
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return line.mid(line.indexOf(':') + 1).trimmed().toStdString();
        }
    }
    return "unknown CPU";
}

void pinToCurrentCore()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(sched_getcpu(), &set);
    sched_setaffinity(0, sizeof(set), &set);
}

void row(const char* what, double microseconds, const std::string& ratios)
{
    std::printf("| %-44s | %9.1f | %s |\n", what, microseconds, ratios.c_str());
}

std::string format(const char* pattern, double value)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::vector<Goal> benchmarkSize(int width, int height, const Palette& palette, double scale)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    const int fast = std::max(20, int(400 * scale * 327680.0 / double(pixels)));
    const int slow = std::max(10, fast / 4);
    const int slowest = std::max(5, fast / 20);

    const IrScene scene(width, height);
    std::vector<std::vector<std::uint16_t>> frames;
    std::vector<cv::Mat> mats;
    for (int i = 0; i < FrameCount; ++i) {
        frames.push_back(scene.frame(3 * i));
        mats.emplace_back(height, width, CV_16UC1, frames.back().data());
    }
    const auto frame = [&](int i) {
        return CountFrame { frames[std::size_t(i % FrameCount)].data(), width, height, width };
    };

    std::printf("\n### %d x %d (%zu pixels)\n\n", width, height, pixels);
    std::printf("| %-44s | %9s | %s |\n", "Chain", "us/frame", "Ratios");
    std::printf("|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(11, '-').c_str(), "---");

    const BandwidthFloor::Figures floor = BandwidthFloor::measure(pixels);
    row("Floor: memcpy 6 B/pixel, beyond cache", floor.coldMemcpy, "the floor as the goal defines it");
    row("Floor: memcpy 6 B/pixel, in cache", floor.warmMemcpy,
        format("%.2fx the floor; frames are in cache, so the goal is checked here too",
            floor.warmMemcpy / floor.coldMemcpy));
    row("Floor: read 2 B + write 4 B/pixel, in cache", floor.warmWiden,
        format("%.2fx the floor; plain widening loop, for reference", floor.warmWiden / floor.coldMemcpy));

    DisplayPipeline pipeline;
    pipeline.setPalette(palette);
    std::vector<std::uint32_t> pixelsOut(pixels);
    const ArgbImage out { pixelsOut.data(), width, height, width };
    const auto timeMode = [&](ScaleMode mode) {
        EnhancementSettings settings;
        settings.mode = mode;
        settings.linearIgnore = 1.0;
        settings.plateauP = 100.0;
        settings.ddeSharpness = 4;
        pipeline.setSettings(settings);
        return medianMicroseconds(fast, [&](int i) { pipeline.render(frame(i), FourteenBit, out); });
    };
    // Both builds of our loops, the baseline last so the primary one is left selected.
    struct Ours
    {
        const char* isa;
        double linear = 0.0;
        double plateau = 0.0;
        double dde = 0.0;
    };
    std::vector<Ours> ours;
    for (const char* isa : { "avx2", "sse2" }) {
        if (!kernels::selectInstructionSet(isa))
            continue;
        Ours figures { isa };
        figures.linear = timeMode(ScaleMode::Linear);
        figures.plateau = timeMode(ScaleMode::Plateau);
        figures.dde = timeMode(ScaleMode::Dde);
        ours.push_back(figures);
    }
    kernels::selectInstructionSet(ours.front().isa);
    const auto label
        = [](const Ours& o, const char* what) { return std::string("Ours (") + o.isa + "): " + what; };
    for (const Ours& o : ours) {
        row(label(o, "linear (1 %) + palette").c_str(), o.linear,
            format("%.2fx the floor", o.linear / floor.coldMemcpy)
                + format(", %.2fx in-cache memcpy", o.linear / floor.warmMemcpy)
                + format(", %.1fx the widening loop", o.linear / floor.warmWiden));
        row(label(o, "plateau (P 100) + palette").c_str(), o.plateau,
            format("%.2fx our linear", o.plateau / o.linear));
        row(label(o, "DDE (P 100, sharpness 4) + palette").c_str(), o.dde,
            format("%.2fx our linear", o.dde / o.linear));
    }
    const double linear = ours.front().linear;
    const double plateau = ours.front().plateau;
    const double dde = ours.front().dde;
    const double baselineDde = ours.back().dde;

    // The OpenCV chains get the same scene-derived parameters as ours.
    pipeline.render(frame(0), FourteenBit, out);
    const Histogram& histogram = pipeline.histogram();
    const std::uint64_t rank = histogram.mappingPopulation().total / 100;
    const float span = float(histogram.countAtRankFromTop(rank) - histogram.countAtRank(rank));
    const float edge = span / 40.0f;
    const float gain = std::exp2(2.5f) * 255.0f / span;
    const cv::Mat colourMap = userColourMap(palette.colours());

    cv::Mat bgra;
    OpenCvLinearChain linearChain(colourMap);
    const double cvLinear = medianMicroseconds(
        slow, [&](int i) { linearChain.run(mats[std::size_t(i % FrameCount)], 1.0, bgra); });
    row("OpenCV: calcHist + convertTo + applyColorMap", cvLinear,
        format("ours %.1fx faster", cvLinear / linear));

    OpenCvGuidedChain guided(colourMap, edge, gain);
    OpenCvFastGuidedChain fastGuided(colourMap, edge, gain);
    OpenCvContribGuidedChain contribGuided(colourMap, edge, gain);
    OpenCvBilateralChain bilateral(colourMap, edge, gain);
    struct Detail
    {
        const char* name;
        OpenCvDetailChain* chain;
        int repetitions;
        double time = 0.0;
    };
    Detail details[] = {
        { "OpenCV DDE: guided filter, boxFilter, r 10", &guided, slowest },
        { "OpenCV DDE: fast guided filter, 1/4 grid", &fastGuided, slow },
        { "OpenCV DDE: ximgproc::guidedFilter, r 10", &contribGuided, slowest },
        { "OpenCV DDE: bilateralFilter, d 5", &bilateral, slowest },
    };
    double fastestDetail = 1e300;
    for (Detail& detail : details) {
        detail.time = medianMicroseconds(
            detail.repetitions, [&](int i) { detail.chain->run(mats[std::size_t(i % FrameCount)], bgra); });
        fastestDetail = std::min(fastestDetail, detail.time);
        row(detail.name, detail.time,
            format("ours %.1fx faster", detail.time / dde)
                + (ours.size() > 1 ? format(", sse2 %.1fx", detail.time / baselineDde) : std::string()));
    }

    const std::string size = std::to_string(width) + " x " + std::to_string(height) + ": ";
    std::vector<Goal> goals {
        { size + "linear, times faster than OpenCV", cvLinear / linear, 4.0, true },
        { size + "linear, times the bandwidth floor", linear / floor.coldMemcpy, 2.5, false },
        { size + "linear, times the in-cache memcpy", linear / floor.warmMemcpy, 2.5, false },
        { size + "plateau, times our linear", plateau / linear, 1.5, false },
    };
    // DDE: 3.5 times the fastest OpenCV detail chain with AVX2, and under 1 ms a 640 x 512
    // frame in both builds.
    for (const Ours& o : ours) {
        const std::string isa = std::string(" (") + o.isa + ")";
        if (std::string(o.isa) == "avx2")
            goals.push_back({ size + "DDE" + isa + ", times faster than the fastest OpenCV DDE",
                fastestDetail / o.dde, 3.5, true });
        if (width == 640)
            goals.push_back({ size + "DDE" + isa + ", microseconds", o.dde, 1000.0, false });
    }
    return goals;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    double scale = 1.0;
    const int scaleAt = arguments.indexOf(QStringLiteral("--repetitions-scale"));
    if (scaleAt >= 0 && scaleAt + 1 < arguments.size()) {
        scale = std::max(0.05, arguments.at(scaleAt + 1).toDouble());
        arguments.remove(scaleAt, 2);
    }
    Palette palette;
    if (!arguments.isEmpty()) {
        const auto loaded = PaletteLoader::loadFile(arguments.first());
        if (!loaded) {
            std::fprintf(stderr, "cannot read palette %s\n", qPrintable(arguments.first()));
            return 1;
        }
        palette = *loaded;
    }

    cv::setNumThreads(1);
    pinToCurrentCore();
    std::printf("Display pipeline, one core, microseconds per frame (median of many runs)\n");
    std::printf("CPU: %s; our pixel loops: %s; OpenCV %s, %d thread\n", cpuModel().c_str(),
        DisplayPipeline::instructionSet(), CV_VERSION, cv::getNumThreads());
    std::printf("Frames: synthetic 14-bit thermal scenes (smooth background, buildings, warm moving\n"
                "objects, fine texture, noise, stuck pixels), 8 frames in turn.\n");

    std::vector<Goal> goals;
    for (const auto& [width, height] : { std::pair { 640, 512 }, std::pair { 1280, 1024 } }) {
        for (Goal& goal : benchmarkSize(width, height, palette, scale))
            goals.push_back(goal);
    }

    std::printf("\n### Goals\n\n");
    bool allMet = true;
    for (const Goal& goal : goals) {
        const bool met = goal.atLeast ? goal.achieved >= goal.required : goal.achieved <= goal.required;
        allMet = allMet && met;
        std::printf("- %s: %.2f (goal %s %.1f) %s\n", goal.text.c_str(), goal.achieved,
            goal.atLeast ? ">=" : "<=", goal.required, met ? "met" : "NOT met");
    }
    return allMet ? 0 : 2;
}
