#include <zelkir/pipeline/frame.h>

#include <cstdint>

namespace zelkir {

namespace {
template <typename View> bool isValidView(const View& view, const void* data)
{
    constexpr std::int64_t largestFrame = (std::int64_t(1) << 31) - 1;
    return data && view.width > 0 && view.height > 0 && view.stride >= view.width
        && std::int64_t(view.width) * view.height <= largestFrame;
}
}

bool isValid(const CountFrame& frame)
{
    return isValidView(frame, frame.counts);
}

bool isValid(const ArgbImage& image)
{
    return isValidView(image, image.pixels);
}

bool isValid(ValidRange range)
{
    return range.low < range.high;
}

} // namespace zelkir
