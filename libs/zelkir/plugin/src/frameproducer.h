#pragma once

#include "frameinfomodel.h"
#include "renderjob.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <qqmlregistration.h>

#include <memory>

namespace zelkir {

/// Where a document's frames come from: a file played back, or a live camera. The
/// document shows what its producer renders and writes palette, enhancement and preset
/// choices to it; the producer decides which frame comes when.
///
/// Everything runs on the thread that made the producer (the GUI thread); a producer
/// does its slow work elsewhere and never makes that thread wait for it.
class FrameProducer : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(bool closed READ isClosed NOTIFY closedChanged)
    /// Frames shown per second. Writable with a number or with text; anything that is not
    /// a positive finite number is refused and the rate stays.
    Q_PROPERTY(QVariant targetDisplayRate READ targetDisplayRate WRITE setTargetDisplayRate NOTIFY
            targetDisplayRateChanged)

public:
    using QObject::QObject;
    ~FrameProducer() override;

    /// Starts opening the source; opened() or openFailed() follows, never before the
    /// caller returns to the event loop.
    virtual void start() = 0;
    /// Settings for every frame rendered from now on; the current frame is rendered again.
    virtual void setRenderSettings(
        const EnhancementSettings& settings, std::shared_ptr<const Palette> palette)
        = 0;
    /// Produces only the frames of one preset (0..7); -1: every frame.
    virtual void setPresetFilter(int preset) = 0;
    virtual bool isClosed() const = 0;
    virtual QVariant targetDisplayRate() const = 0;
    virtual void setTargetDisplayRate(const QVariant& rate) = 0;
    /// Rows of frame information the source adds after the frame's own figures.
    virtual QList<FrameInfoModel::Entry> frameDetails(const RenderedFrame& frame) const;
    /// Stops producing and lets go of the source, without waiting for work under way.
    /// Further calls do nothing.
    Q_INVOKABLE virtual void close() = 0;

Q_SIGNALS:
    void opened(const zelkir::OpenResultPtr& result);
    void openFailed(const QString& message);
    /// A frame was rendered for the current position, or could not be.
    void frameReady(const zelkir::RenderedFramePtr& frame);
    void closedChanged();
    void targetDisplayRateChanged();
};

} // namespace zelkir
