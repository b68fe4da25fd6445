#include <zelkir/pipeline/linearscale.h>

#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>

#include <algorithm>
#include <cmath>

namespace zelkir {

LinearClip LinearScale::clipPoints(const Histogram& histogram, double ignorePercent)
{
    if (histogram.isEmpty())
        return {};
    const double percent = std::isnan(ignorePercent) ? 0.0 : std::clamp(ignorePercent, 0.0, 100.0);
    const Histogram::Population population = histogram.mappingPopulation();
    const auto tail = static_cast<std::uint64_t>(std::floor(double(population.total) * percent / 200.0));
    LinearClip clip { histogram.countAtRank(tail), histogram.countAtRankFromTop(tail) };
    // With an even count at 100 % the two tails can cross between the middle pixels.
    if (clip.low > clip.high)
        clip.low = clip.high = histogram.countAtRank(population.total / 2);
    return clip;
}

void LinearScale::levels(const Histogram& histogram, double ignorePercent, LevelMap& out)
{
    levels(histogram, clipPoints(histogram, ignorePercent), out);
}

void LinearScale::levels(const Histogram& histogram, LinearClip clip, LevelMap& out)
{
    levels(histogram, double(clip.low), double(clip.high), out);
}

void LinearScale::levels(const Histogram& histogram, double low, double high, LevelMap& out)
{
    const int first = histogram.minimum();
    const int last = histogram.maximum();
    out.reset(histogram.minimum(), histogram.maximum());
    float* levels = out.data();
    if (!(low < high)) {
        for (int count = first; count <= last; ++count)
            levels[count] = count < low ? 0.0f : count > low ? 255.0f : 127.5f;
        return;
    }
    const float scale = 255.0f / float(high - low);
    const float offset = -float(low) * scale;
    for (int count = first; count <= last; ++count)
        levels[count] = std::clamp(float(count) * scale + offset, 0.0f, 255.0f);
}

} // namespace zelkir
