#pragma once

#include "renderjob.h"

#include <zelkir/pipeline/displaypipeline.h>

#include <QObject>

namespace zelkir {

/// Opens a file and decodes and renders its frames, on the player's worker thread. Every
/// member is used on that thread only; requests and results travel by queued signals.
class FrameWorker final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void open(const QString& path);
    void render(const zelkir::RenderRequest& request);

Q_SIGNALS:
    void opened(const zelkir::OpenResultPtr& result);
    void rendered(const zelkir::RenderedFramePtr& frame);

private:
    std::shared_ptr<FrameSource> m_source;
    std::shared_ptr<const Palette> m_palette;
    DisplayPipeline m_pipeline;
};

} // namespace zelkir
