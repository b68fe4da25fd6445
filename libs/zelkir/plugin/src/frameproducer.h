#pragma once

#include "renderjob.h"

#include <QObject>
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
    /// Stops producing and lets go of the source, without waiting for work under way.
    /// Further calls do nothing.
    Q_INVOKABLE virtual void close() = 0;

Q_SIGNALS:
    void opened(const zelkir::OpenResultPtr& result);
    void openFailed(const QString& message);
    /// A frame was rendered for the current position, or could not be.
    void frameReady(const zelkir::RenderedFramePtr& frame);
    void closedChanged();
};

} // namespace zelkir
