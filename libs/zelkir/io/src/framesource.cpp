#include <zelkir/io/framesource.h>

#include <QMutexLocker>

#include <utility>

namespace zelkir {

FrameSource::FrameSource(SourceInfo info)
    : m_info(std::move(info))
{
}

FrameSource::~FrameSource() = default;

bool FrameSource::readFrame(int index, Frame& out, QString* error)
{
    if (index < 0 || index >= m_info.frameCount) {
        if (error)
            *error = QStringLiteral("Frame %1 does not exist; the file has %2 frames.")
                         .arg(index)
                         .arg(m_info.frameCount);
        return false;
    }
    QMutexLocker locker(&m_mutex);
    out.index = index;
    out.width = m_info.width;
    out.height = m_info.height;
    out.noValue.clear();
    if (!doReadFrame(index, out, error))
        return false;
    out.time = doFrameTime(index);
    out.preset = doFramePreset(index);
    return true;
}

double FrameSource::frameTime(int index)
{
    if (index < 0 || index >= m_info.frameCount)
        return std::nan("");
    QMutexLocker locker(&m_mutex);
    return doFrameTime(index);
}

int FrameSource::framePreset(int index)
{
    if (index < 0 || index >= m_info.frameCount)
        return -1;
    QMutexLocker locker(&m_mutex);
    return doFramePreset(index);
}

double FrameSource::doFrameTime(int index)
{
    if (!(m_info.frameRate > 0.0))
        return std::nan("");
    return index / m_info.frameRate;
}

int FrameSource::doFramePreset(int index)
{
    return m_info.presets.presetOfFrame(index);
}

} // namespace zelkir
