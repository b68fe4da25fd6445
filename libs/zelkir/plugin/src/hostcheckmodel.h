#pragma once

#include <zelk/cam/hostcheck.h>

#include <QObject>
#include <QVariantList>
#include <qqmlregistration.h>

#include <functional>
#include <memory>
#include <vector>

namespace zelkir {

class DetachedJob;

/// What this computer does to one camera's stream: the host check of the camera library,
/// run on a thread of its own (it may take seconds), its findings for the window.
///
/// Nobody waits for the thread: destruction returns at once, and the thread's result is
/// then dropped.
class HostCheckModel final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by LivePlayer")
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    /// One map per finding, {topic, subject, status ("ok", "problem" or "unknown"),
    /// detail, fix}: problems first, then what could not be read, then the rest.
    Q_PROPERTY(QVariantList findings READ findings NOTIFY findingsChanged)
    /// The findings whose status is "problem".
    Q_PROPERTY(int problemCount READ problemCount NOTIFY findingsChanged)
    /// The run under way, or else the last one, was started because frames were lost.
    Q_PROPERTY(bool checkedAfterLoss READ checkedAfterLoss NOTIFY runningChanged)

public:
    using Findings = std::vector<zelk::cam::SHostCheckFinding>;
    /// Called on the check's own thread with copies of everything it needs.
    using Check = std::function<Findings(const std::vector<zelk::cam::SHostCheckCamera>& cameras)>;

    // No default: the QML registration derives from default-constructible types.
    explicit HostCheckModel(QObject* parent);
    ~HostCheckModel() override;

    /// Replaces the check for the runs started from now on; null: zelk::cam::CheckHost.
    void setCheck(Check check);
    /// The camera the next run checks.
    void setCamera(const zelk::cam::SHostCheckCamera& camera);
    const zelk::cam::SHostCheckCamera& camera() const { return m_camera; }

    bool isRunning() const { return m_job != nullptr; }
    QVariantList findings() const { return m_findings; }
    int problemCount() const { return m_problemCount; }
    bool checkedAfterLoss() const { return m_afterLoss; }

    /// Checks again for the same camera; nothing while a check runs.
    Q_INVOKABLE void run();
    /// As run(), because frames were lost.
    void runAfterLoss();

Q_SIGNALS:
    void runningChanged();
    void findingsChanged();

private Q_SLOTS:
    // Queued by name from the check's thread.
    void onDone();

private:
    struct Results;
    void start(bool afterLoss);

    Check m_check;
    zelk::cam::SHostCheckCamera m_camera;
    std::shared_ptr<DetachedJob> m_job;
    std::shared_ptr<Results> m_results;
    QVariantList m_findings;
    int m_problemCount = 0;
    bool m_afterLoss = false;
};

} // namespace zelkir
