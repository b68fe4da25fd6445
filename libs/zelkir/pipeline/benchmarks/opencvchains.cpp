#include "opencvchains.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/ximgproc/edge_filter.hpp>

#include <algorithm>

namespace {
constexpr int Bins = 16384;
constexpr int GuidedRadius = 10;
constexpr int FastFactor = 4;
constexpr int FastRadius = 2;
}

cv::Mat userColourMap(const std::array<std::uint32_t, 256>& argbColours)
{
    cv::Mat map(256, 1, CV_8UC3);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t colour = argbColours[std::size_t(i)];
        map.at<cv::Vec3b>(i) = cv::Vec3b(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    return map;
}

void OpenCvLinearChain::run(const cv::Mat& counts, double ignorePercent, cv::Mat& bgra)
{
    const int channels[] = { 0 };
    const int histogramSize[] = { Bins };
    const float range[] = { 0.0f, float(Bins) };
    const float* ranges[] = { range };
    cv::calcHist(&counts, 1, channels, cv::Mat(), m_histogram, 1, histogramSize, ranges);

    const double tail = double(counts.total()) * ignorePercent / 200.0;
    const float* bins = m_histogram.ptr<float>();
    int low = 0;
    for (double below = bins[0]; below <= tail && low < Bins - 1;)
        below += bins[++low];
    int high = Bins - 1;
    for (double above = bins[Bins - 1]; above <= tail && high > 0;)
        above += bins[--high];
    const double scale = 255.0 / std::max(high - low, 1);
    counts.convertTo(m_levels, CV_8U, scale, -low * scale);
    cv::applyColorMap(m_levels, m_bgr, m_colourMap);
    cv::cvtColor(m_bgr, bgra, cv::COLOR_BGR2BGRA);
}

void OpenCvDetailChain::run(const cv::Mat& counts, cv::Mat& bgra)
{
    counts.convertTo(m_image, CV_32F);
    computeBase();
    cv::subtract(m_image, m_base, m_detail);
    cv::normalize(m_base, m_base8, 0, 255, cv::NORM_MINMAX, CV_8U);
    cv::equalizeHist(m_base8, m_equalised);
    m_equalised.convertTo(m_sum, CV_32F);
    cv::scaleAdd(m_detail, m_gain, m_sum, m_sum);
    m_sum.convertTo(m_levels, CV_8U);
    cv::applyColorMap(m_levels, m_bgr, m_colourMap);
    cv::cvtColor(m_bgr, bgra, cv::COLOR_BGR2BGRA);
}

void OpenCvGuidedChain::computeBase()
{
    const cv::Size window(2 * GuidedRadius + 1, 2 * GuidedRadius + 1);
    cv::boxFilter(m_image, m_mean, CV_32F, window);
    cv::multiply(m_image, m_image, m_square);
    cv::boxFilter(m_square, m_meanSquare, CV_32F, window);
    cv::multiply(m_mean, m_mean, m_variance);
    cv::subtract(m_meanSquare, m_variance, m_variance);
    cv::add(m_variance, cv::Scalar(m_edge * m_edge), m_a);
    cv::divide(m_variance, m_a, m_a);
    cv::multiply(m_a, m_mean, m_b);
    cv::subtract(m_mean, m_b, m_b);
    cv::boxFilter(m_a, m_meanA, CV_32F, window);
    cv::boxFilter(m_b, m_meanB, CV_32F, window);
    cv::multiply(m_meanA, m_image, m_base);
    cv::add(m_base, m_meanB, m_base);
}

void OpenCvFastGuidedChain::computeBase()
{
    const cv::Size window(2 * FastRadius + 1, 2 * FastRadius + 1);
    cv::resize(m_image, m_small, cv::Size(), 1.0 / FastFactor, 1.0 / FastFactor, cv::INTER_AREA);
    cv::boxFilter(m_small, m_mean, CV_32F, window);
    cv::multiply(m_small, m_small, m_square);
    cv::boxFilter(m_square, m_meanSquare, CV_32F, window);
    cv::multiply(m_mean, m_mean, m_variance);
    cv::subtract(m_meanSquare, m_variance, m_variance);
    cv::add(m_variance, cv::Scalar(m_edge * m_edge), m_a);
    cv::divide(m_variance, m_a, m_a);
    cv::multiply(m_a, m_mean, m_b);
    cv::subtract(m_mean, m_b, m_b);
    cv::boxFilter(m_a, m_meanA, CV_32F, window);
    cv::boxFilter(m_b, m_meanB, CV_32F, window);
    cv::resize(m_meanA, m_fullA, m_image.size(), 0, 0, cv::INTER_LINEAR);
    cv::resize(m_meanB, m_fullB, m_image.size(), 0, 0, cv::INTER_LINEAR);
    cv::multiply(m_fullA, m_image, m_base);
    cv::add(m_base, m_fullB, m_base);
}

void OpenCvContribGuidedChain::computeBase()
{
    cv::ximgproc::guidedFilter(m_image, m_image, m_base, GuidedRadius, double(m_edge) * m_edge);
}

void OpenCvBilateralChain::computeBase()
{
    cv::bilateralFilter(m_image, m_base, 5, m_edge, 3.0);
}
