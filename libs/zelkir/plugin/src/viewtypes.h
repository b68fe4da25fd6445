#pragma once

#include <zelkir/views/imageview.h>
#include <zelkir/views/roiimageview.h>

#include <qqmlregistration.h>

namespace zelkir {

// The image items live in zelkir_views, which knows nothing of QML modules; they are
// registered here under their own names.

struct ImageViewForeign
{
    Q_GADGET
    QML_FOREIGN(zelkir::ImageView)
    QML_NAMED_ELEMENT(ImageView)
};

struct RoiImageViewForeign
{
    Q_GADGET
    QML_FOREIGN(zelkir::RoiImageView)
    QML_NAMED_ELEMENT(RoiImageView)
};

} // namespace zelkir
