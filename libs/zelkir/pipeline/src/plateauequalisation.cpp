#include <zelkir/pipeline/plateauequalisation.h>

#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>

#include <algorithm>
#include <cmath>

namespace zelkir {

std::uint32_t PlateauEqualisation::plateauLimit(const Histogram& histogram, double plateauP)
{
    if (histogram.isEmpty())
        return 1;
    const double p = std::isnan(plateauP) ? 200.0 : std::clamp(plateauP, 2.0, 200.0);
    const Histogram::Population population = histogram.mappingPopulation();
    std::uint32_t fullest = 1;
    const std::uint32_t* bins = histogram.bins();
    for (int count = population.first; count <= population.last; ++count)
        fullest = std::max(fullest, bins[count]);
    if (p >= 200.0)
        return fullest;
    const double limit = std::floor(std::pow(double(fullest), (p - 2.0) / 198.0));
    return std::clamp<std::uint32_t>(static_cast<std::uint32_t>(limit), 1, fullest);
}

void PlateauEqualisation::levels(const Histogram& histogram, double plateauP, LevelMap& out)
{
    out.reset(histogram.minimum(), histogram.maximum());
    if (histogram.isEmpty())
        return;
    float* levels = out.data();
    const Histogram::Population population = histogram.mappingPopulation();
    const std::uint32_t* bins = histogram.bins();
    const std::uint32_t limit = plateauLimit(histogram, plateauP);

    // Twice the cumulative sums, so the half-bin centres stay integers.
    const std::uint64_t firstBin = std::min(bins[population.first], limit);
    const std::uint64_t lastBin = std::min(bins[population.last], limit);
    std::uint64_t total = 0;
    for (int count = population.first; count <= population.last; ++count)
        total += std::min(bins[count], limit);
    const std::uint64_t span = 2 * total - firstBin - lastBin;

    for (int count = histogram.minimum(); count < population.first; ++count)
        levels[count] = 0.0f;
    if (span == 0) {
        levels[population.first] = 127.5f;
    } else {
        const double scale = 255.0 / double(span);
        std::uint64_t below = 0;
        int previous = population.first;
        for (int count = population.first; count <= population.last; ++count) {
            const std::uint64_t bin = std::min(bins[count], limit);
            if (bin == 0)
                continue;
            levels[count] = float(double(2 * below + bin - firstBin) * scale);
            below += bin;
            // Counts no pixel has lie on the line between their occupied neighbours, so the
            // map is continuous for values between counts (DDE's base).
            if (count > previous + 1) {
                const float step = (levels[count] - levels[previous]) / float(count - previous);
                for (int gap = previous + 1; gap < count; ++gap)
                    levels[gap] = levels[previous] + step * float(gap - previous);
            }
            previous = count;
        }
    }
    for (int count = population.last + 1; count <= histogram.maximum(); ++count)
        levels[count] = 255.0f;
}

} // namespace zelkir
