#include "regionstatistics.h"

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zelkir {

namespace {

/// Running sums around a value of the region, which keeps the deviation accurate when
/// values sit far from zero (temperatures in kelvin) and vary little.
struct Accumulator
{
    bool started = false;
    qint64 pixels = 0;
    double shift = 0.0;
    double sum = 0.0;
    double squares = 0.0;
    float minimum = std::numeric_limits<float>::infinity();
    float maximum = -std::numeric_limits<float>::infinity();

    void add(float value)
    {
        if (!(value == value))
            return;
        if (!started) {
            started = true;
            shift = value;
        }
        const double d = double(value) - shift;
        ++pixels;
        sum += d;
        squares += d * d;
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }

    void fill(RegionStatistics& statistics) const
    {
        statistics.pixels = pixels;
        if (pixels == 0)
            return;
        const double n = double(pixels);
        statistics.minimum = minimum;
        statistics.maximum = maximum;
        statistics.mean = shift + sum / n;
        statistics.deviation = std::sqrt(std::max(0.0, (squares - sum * sum / n) / n));
    }
};

constexpr float noFloat = std::numeric_limits<float>::quiet_NaN();

/// Adds pixels first..last (inclusive, inside the image) of a row. Branch-free, in two
/// independent lanes, since this runs for every pixel of every region on every frame: NaN
/// (no value in the unit, or a pixel without a value) drops out of the sums by a select
/// and out of minimum and maximum because comparisons with it are false.
template <bool Masked>
void addSpan(
    Accumulator& sums, const quint16* counts, const quint8* noValue, const float* table, int first, int last)
{
    const auto value = [&](int x) {
        const float v = table[counts[x]];
        return Masked && noValue[x] != 0 ? noFloat : v;
    };
    while (!sums.started && first <= last)
        sums.add(value(first++));
    const double shift = sums.shift;
    double sum[2] = {};
    double squares[2] = {};
    qint64 pixels[2] = {};
    float low[2] = { sums.minimum, sums.minimum };
    float high[2] = { sums.maximum, sums.maximum };
    int x = first;
    for (; x + 1 <= last; x += 2) {
        for (int k = 0; k < 2; ++k) {
            const float v = value(x + k);
            const bool ok = v == v;
            const double d = ok ? double(v) - shift : 0.0;
            sum[k] += d;
            squares[k] += d * d;
            pixels[k] += ok;
            low[k] = v < low[k] ? v : low[k];
            high[k] = v > high[k] ? v : high[k];
        }
    }
    sums.sum += sum[0] + sum[1];
    sums.squares += squares[0] + squares[1];
    sums.pixels += pixels[0] + pixels[1];
    sums.minimum = std::min(low[0], low[1]);
    sums.maximum = std::max(high[0], high[1]);
    if (x == last)
        sums.add(value(x));
}

#if defined(__x86_64__) || defined(__i386__)
#define ZELKIR_REGIONS_AVX2 1

/// The same in eight lanes with AVX2: a gather of the table, the sums in double.
__attribute__((target("avx2,fma"))) void addSpanAvx2(
    Accumulator& sums, const quint16* counts, const quint8* noValue, const float* table, int first, int last)
{
    const auto value = [&](int x) { return noValue && noValue[x] != 0 ? noFloat : table[counts[x]]; };
    while (!sums.started && first <= last)
        sums.add(value(first++));
    const __m256d shift = _mm256_set1_pd(sums.shift);
    const __m256 none = _mm256_set1_ps(noFloat);
    __m256d sum[2] = { _mm256_setzero_pd(), _mm256_setzero_pd() };
    __m256d squares[2] = { _mm256_setzero_pd(), _mm256_setzero_pd() };
    __m256 low = _mm256_set1_ps(sums.minimum);
    __m256 high = _mm256_set1_ps(sums.maximum);
    qint64 pixels = 0;
    int x = first;
    for (; x + 7 <= last; x += 8) {
        const __m256i index
            = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + x)));
        // A fresh destination for the gather, so iterations do not wait for each other.
        __m256 fresh = _mm256_setzero_ps();
        asm volatile("" : "+x"(fresh));
        const __m256 v
            = _mm256_mask_i32gather_ps(fresh, table, index, _mm256_castsi256_ps(_mm256_set1_epi32(-1)), 4);
        __m256 ok = _mm256_cmp_ps(v, v, _CMP_ORD_Q);
        if (noValue) {
            const __m256i marks
                = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(noValue + x)));
            ok = _mm256_and_ps(ok, _mm256_castsi256_ps(_mm256_cmpeq_epi32(marks, _mm256_setzero_si256())));
        }
        const __m256 valid = _mm256_blendv_ps(none, v, ok);
        // min and max answer their second operand when the first is NaN.
        low = _mm256_min_ps(valid, low);
        high = _mm256_max_ps(valid, high);
        pixels += __builtin_popcount(unsigned(_mm256_movemask_ps(ok)));
        const __m128i okBits = _mm256_castsi256_si128(_mm256_castps_si256(ok));
        const __m128i okBitsHigh = _mm256_extracti128_si256(_mm256_castps_si256(ok), 1);
        const __m256d halves[2] = {
            _mm256_and_pd(_mm256_sub_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), shift),
                _mm256_castsi256_pd(_mm256_cvtepi32_epi64(okBits))),
            _mm256_and_pd(_mm256_sub_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), shift),
                _mm256_castsi256_pd(_mm256_cvtepi32_epi64(okBitsHigh))),
        };
        for (int k = 0; k < 2; ++k) {
            sum[k] = _mm256_add_pd(sum[k], halves[k]);
            squares[k] = _mm256_fmadd_pd(halves[k], halves[k], squares[k]);
        }
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, _mm256_add_pd(sum[0], sum[1]));
    sums.sum += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    _mm256_store_pd(lanes, _mm256_add_pd(squares[0], squares[1]));
    sums.squares += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    alignas(32) float extremes[8];
    _mm256_store_ps(extremes, low);
    sums.minimum = *std::min_element(extremes, extremes + 8);
    _mm256_store_ps(extremes, high);
    sums.maximum = *std::max_element(extremes, extremes + 8);
    sums.pixels += pixels;
    for (; x <= last; ++x)
        sums.add(value(x));
}

/// AVX2 with FMA where the CPU has it, unless ZELKIR_PIPELINE_ISA=sse2 asks for the
/// baseline, as it does for the display pipeline's loops.
bool useAvx2()
{
    static const bool use = [] {
        const char* forced = std::getenv("ZELKIR_PIPELINE_ISA");
        if (forced && std::strcmp(forced, "sse2") == 0)
            return false;
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return use;
}
#endif

/// Adds the pixels first..last (inclusive, already inside the image) of row y.
void addRow(Accumulator& sums, const Frame& frame, const float* table, int y, int first, int last)
{
    const std::size_t row = std::size_t(y) * std::size_t(frame.width);
    const quint16* counts = frame.counts.data() + row;
    const quint8* noValue = frame.noValue.empty() ? nullptr : frame.noValue.data() + row;
#ifdef ZELKIR_REGIONS_AVX2
    if (useAvx2()) {
        addSpanAvx2(sums, counts, noValue, table, first, last);
        return;
    }
#endif
    if (noValue)
        addSpan<true>(sums, counts, noValue, table, first, last);
    else
        addSpan<false>(sums, counts, nullptr, table, first, last);
}

bool insideEllipse(double px, double py, double cx, double cy, double a, double b)
{
    const double u = (px - cx) / a;
    const double v = (py - cy) / b;
    return u * u + v * v <= 1.0;
}

double valueAt(const Frame& frame, const float* table, int x, int y)
{
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height || !frame.hasValue(x, y))
        return RegionStatistics::none;
    const float value = table[frame.at(x, y)];
    return value == value ? double(value) : RegionStatistics::none;
}

/// Clamps a pixel index, kept as a double until then so huge coordinates cannot overflow.
int clampIndex(double value, int low, int high)
{
    return int(std::clamp(value, double(low), double(high)));
}

} // namespace

void UnitTable::build(const CountScale& scale, const std::function<double(double)>& fromPhysical)
{
    m_values.resize(size);
    for (int count = 0; count < size; ++count) {
        const double value = fromPhysical(scale.toPhysical(count));
        m_values[std::size_t(count)]
            = std::isfinite(value) ? float(value) : std::numeric_limits<float>::quiet_NaN();
    }
}

std::vector<QPoint> lineSamples(const QPointF& p1, const QPointF& p2)
{
    const double dx = p2.x() - p1.x();
    const double dy = p2.y() - p1.y();
    // Regions are clamped near the image, so a step count beyond this means bad input.
    const double length = std::max(std::abs(dx), std::abs(dy));
    const double far = 1.0e6;
    if (!(length <= far) || !(std::abs(p1.x()) <= far) || !(std::abs(p1.y()) <= far))
        return {};
    const int steps = int(std::ceil(length));
    std::vector<QPoint> samples;
    samples.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : double(i) / steps;
        samples.emplace_back(int(std::floor(p1.x() + t * dx)), int(std::floor(p1.y() + t * dy)));
    }
    return samples;
}

RegionStatistics computeRegionStatistics(
    const Frame& frame, const RegionGeometry& region, const UnitTable& table)
{
    RegionStatistics statistics;
    const float* values = table.data();
    if (!values || frame.width <= 0 || frame.height <= 0
        || frame.counts.size() < std::size_t(frame.width) * std::size_t(frame.height))
        return statistics;
    Accumulator sums;
    switch (region.kind) {
    case RegionKind::Spot: {
        const double x = std::floor(region.p1.x());
        const double y = std::floor(region.p1.y());
        if (x >= 0.0 && y >= 0.0 && x < frame.width && y < frame.height) {
            const double value = valueAt(frame, values, int(x), int(y));
            if (!std::isnan(value))
                sums.add(float(value));
        }
        break;
    }
    case RegionKind::Line: {
        const std::vector<QPoint> samples = lineSamples(region.p1, region.p2);
        statistics.profile.reserve(samples.size());
        for (const QPoint& sample : samples) {
            const double value = valueAt(frame, values, sample.x(), sample.y());
            statistics.profile.push_back(value);
            if (!std::isnan(value))
                sums.add(float(value));
        }
        break;
    }
    case RegionKind::Box:
    case RegionKind::Ellipse: {
        const double left = std::min(region.p1.x(), region.p2.x());
        const double right = std::max(region.p1.x(), region.p2.x());
        const double top = std::min(region.p1.y(), region.p2.y());
        const double bottom = std::max(region.p1.y(), region.p2.y());
        if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom))
            break;
        // Rows and columns whose centres lie within the bounding rectangle.
        const int firstRow = clampIndex(std::ceil(top - 0.5), 0, frame.height);
        const int lastRow = clampIndex(std::floor(bottom - 0.5), -1, frame.height - 1);
        const int firstColumn = clampIndex(std::ceil(left - 0.5), 0, frame.width);
        const int lastColumn = clampIndex(std::floor(right - 0.5), -1, frame.width - 1);
        if (region.kind == RegionKind::Box) {
            for (int y = firstRow; y <= lastRow; ++y)
                addRow(sums, frame, values, y, firstColumn, lastColumn);
            break;
        }
        const double cx = 0.5 * (left + right);
        const double cy = 0.5 * (top + bottom);
        const double a = 0.5 * (right - left);
        const double b = 0.5 * (bottom - top);
        if (!(a > 0.0) || !(b > 0.0))
            break;
        for (int y = firstRow; y <= lastRow; ++y) {
            const double py = y + 0.5;
            const double v = (py - cy) / b;
            if (v * v > 1.0)
                continue;
            // The chord's ends, then settled on the membership test itself so that rounding
            // in the square root cannot take in or leave out an edge pixel.
            const double half = a * std::sqrt(1.0 - v * v);
            int first = clampIndex(std::ceil(cx - half - 0.5), firstColumn, lastColumn + 1);
            int last = clampIndex(std::floor(cx + half - 0.5), firstColumn - 1, lastColumn);
            while (first > firstColumn && insideEllipse(first - 0.5, py, cx, cy, a, b))
                --first;
            while (first <= last && !insideEllipse(first + 0.5, py, cx, cy, a, b))
                ++first;
            while (last < lastColumn && insideEllipse(last + 1.5, py, cx, cy, a, b))
                ++last;
            while (last >= first && !insideEllipse(last + 0.5, py, cx, cy, a, b))
                --last;
            if (first <= last)
                addRow(sums, frame, values, y, first, last);
        }
        break;
    }
    }
    sums.fill(statistics);
    return statistics;
}

} // namespace zelkir
