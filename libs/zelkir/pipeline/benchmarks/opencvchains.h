#pragma once

#include <opencv2/core.hpp>

#include <array>
#include <cstdint>

// The display chains written the way an OpenCV user would, for timing beside ours. Each
// keeps its matrices between frames (OpenCV reuses a destination of the right size), takes
// a CV_16UC1 frame of 14-bit counts and leaves a CV_8UC4 BGRA image, whose bytes are
// QImage::Format_ARGB32 pixels.

/// The palette as applyColorMap's user colour map: 256 x 1, CV_8UC3, BGR.
cv::Mat userColourMap(const std::array<std::uint32_t, 256>& argbColours);

/// calcHist over the 14-bit range, percentiles from its cumulative sum, convertTo 8 bits,
/// applyColorMap with the user colour map, cvtColor to BGRA.
class OpenCvLinearChain
{
public:
    explicit OpenCvLinearChain(cv::Mat colourMap)
        : m_colourMap(std::move(colourMap))
    {
    }
    void run(const cv::Mat& counts, double ignorePercent, cv::Mat& bgra);

private:
    cv::Mat m_colourMap;
    cv::Mat m_histogram;
    cv::Mat m_levels;
    cv::Mat m_bgr;
};

/// Detail enhancement: a base layer from an edge-preserving filter (chosen by the subclass),
/// the base normalised to 8 bits and equalised with equalizeHist, the detail (counts - base)
/// times a gain added back, then applyColorMap and cvtColor to BGRA.
class OpenCvDetailChain
{
public:
    OpenCvDetailChain(cv::Mat colourMap, float edgeCounts, float detailGain)
        : m_edge(edgeCounts)
        , m_colourMap(std::move(colourMap))
        , m_gain(detailGain)
    {
    }
    virtual ~OpenCvDetailChain() = default;
    void run(const cv::Mat& counts, cv::Mat& bgra);

protected:
    /// Fills m_base (CV_32F) from m_image (CV_32F counts).
    virtual void computeBase() = 0;

    cv::Mat m_image;
    cv::Mat m_base;
    float m_edge;

private:
    cv::Mat m_colourMap;
    float m_gain;
    cv::Mat m_detail;
    cv::Mat m_base8;
    cv::Mat m_equalised;
    cv::Mat m_sum;
    cv::Mat m_levels;
    cv::Mat m_bgr;
};

/// The guided filter of He, Sun and Tang with cv::boxFilter at full resolution, float, the
/// image as its own guide; window 21 x 21 (about the span of ours).
class OpenCvGuidedChain : public OpenCvDetailChain
{
public:
    using OpenCvDetailChain::OpenCvDetailChain;

protected:
    void computeBase() override;

private:
    cv::Mat m_mean, m_square, m_meanSquare, m_variance, m_a, m_b, m_meanA, m_meanB;
};

/// The same guided filter the fast way (He and Sun 2015): cv::resize down by 4 (INTER_AREA),
/// box filters there, coefficients resized back (INTER_LINEAR). The algorithm ours uses.
class OpenCvFastGuidedChain : public OpenCvDetailChain
{
public:
    using OpenCvDetailChain::OpenCvDetailChain;

protected:
    void computeBase() override;

private:
    cv::Mat m_small, m_mean, m_square, m_meanSquare, m_variance, m_a, m_b, m_meanA, m_meanB, m_fullA, m_fullB;
};

/// cv::ximgproc::guidedFilter (opencv_contrib), radius 10.
class OpenCvContribGuidedChain : public OpenCvDetailChain
{
public:
    using OpenCvDetailChain::OpenCvDetailChain;

protected:
    void computeBase() override;
};

/// cv::bilateralFilter, float, d = 5 (the size OpenCV's documentation suggests for
/// real-time use), sigmaColor the edge threshold, sigmaSpace 3.
class OpenCvBilateralChain : public OpenCvDetailChain
{
public:
    using OpenCvDetailChain::OpenCvDetailChain;

protected:
    void computeBase() override;
};
