#include "fakesource.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

class FakeSource final : public zelkir::FrameSource
{
public:
    FakeSource(zelkir::SourceInfo info, std::shared_ptr<FakeSourceControl> control)
        : FrameSource(std::move(info))
        , m_control(std::move(control))
    {
    }
    ~FakeSource() override { m_control->destroyed = true; }

protected:
    bool doReadFrame(int index, zelkir::Frame& out, QString* error) override
    {
        m_control->pass();
        ++m_control->reads;
        if (index >= m_control->readable) {
            if (error)
                *error = QStringLiteral("Frame %1 is gone.").arg(index);
            return false;
        }
        out.counts.assign(std::size_t(width() * height()), quint16(index % 1000));
        return true;
    }

private:
    const std::shared_ptr<FakeSourceControl> m_control;
};

} // namespace

void FakeSourceControl::hold()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void FakeSourceControl::release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

void FakeSourceControl::pass()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_held; });
    --m_waiting;
}

bool FakeSourceControl::waitForBlocked(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(milliseconds), [this] { return m_held && m_waiting > 0; });
}

bool FakeSourceControl::waitForDestroyed(int milliseconds)
{
    return QTest::qWaitFor([this] { return destroyed.load(); }, milliseconds);
}

zelkir::SourceOpener fakeSourceOpener(
    std::shared_ptr<FakeSourceControl> control, int frameCount, zelkir::PresetInfo presets)
{
    return [control, frameCount, presets](const QString&, QString*) -> std::unique_ptr<zelkir::FrameSource> {
        control->pass();
        zelkir::SourceInfo info;
        info.format = QStringLiteral("FAKE");
        info.width = 4;
        info.height = 3;
        info.frameCount = frameCount;
        info.countRange = { 0, 1000 };
        info.presets = presets;
        return std::make_unique<FakeSource>(info, control);
    };
}
