#pragma once

#include <QObject>

#include <functional>

namespace zelkir {

/// Brings a SerialExecutor's replies onto the thread that made it. Its slot is invoked by
/// name from the executor's thread, so that Qt alone allocates the queued call.
class ExecutorRelay final : public QObject
{
    Q_OBJECT

public:
    explicit ExecutorRelay(std::function<void()> deliver)
        : m_deliver(std::move(deliver))
    {
    }

public Q_SLOTS:
    void deliver() { m_deliver(); }

private:
    const std::function<void()> m_deliver;
};

} // namespace zelkir
