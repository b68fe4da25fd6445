#pragma once

#include "mailbox.h"
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
    /// The values passed each way. The player owns them and outlives the worker.
    struct Mailboxes
    {
        Mailbox<QString> openPath;
        Mailbox<RenderRequest> request;
        Mailbox<OpenResultPtr> opened;
        Mailbox<RenderedFramePtr> rendered;
    };

    explicit FrameWorker(Mailboxes& mailboxes);

public Q_SLOTS:
    /// Opens the file waiting in openPath, then signals opened().
    void open();
    /// Renders the request waiting in request, then signals rendered().
    void render();

Q_SIGNALS:
    void opened();
    void rendered();

private:
    RenderedFramePtr renderFrame(const RenderRequest& request);

    Mailboxes& m_mailboxes;
    std::shared_ptr<FrameSource> m_source;
    std::shared_ptr<const Palette> m_palette;
    DisplayPipeline m_pipeline;
};

} // namespace zelkir
