#include "hostcheckmodel.h"

#include "detachedjob.h"
#include "logging.h"
#include "mailbox.h"

#include <QVariantMap>

#include <algorithm>
#include <exception>
#include <optional>

namespace zelkir {

namespace {

using zelk::cam::EHostCheckStatus;
using zelk::cam::SHostCheckFinding;

int rank(EHostCheckStatus status)
{
    switch (status) {
    case EHostCheckStatus::Problem:
        return 0;
    case EHostCheckStatus::Unknown:
        return 1;
    case EHostCheckStatus::Ok:
        break;
    }
    return 2;
}

QString statusName(EHostCheckStatus status)
{
    switch (status) {
    case EHostCheckStatus::Problem:
        return QStringLiteral("problem");
    case EHostCheckStatus::Unknown:
        return QStringLiteral("unknown");
    case EHostCheckStatus::Ok:
        break;
    }
    return QStringLiteral("ok");
}

} // namespace

/// What the thread hands to the model.
struct HostCheckModel::Results
{
    Mailbox<Findings> findings;
};

HostCheckModel::HostCheckModel(QObject* parent)
    : QObject(parent)
{
}

HostCheckModel::~HostCheckModel()
{
    if (m_job)
        m_job->cancel();
}

void HostCheckModel::setCheck(Check check)
{
    m_check = std::move(check);
}

void HostCheckModel::setCamera(const zelk::cam::SHostCheckCamera& camera)
{
    m_camera = camera;
}

void HostCheckModel::run()
{
    start(false);
}

void HostCheckModel::runAfterLoss()
{
    start(true);
}

void HostCheckModel::start(bool afterLoss)
{
    if (m_job)
        return;
    auto results = std::make_shared<Results>();
    Check check = m_check ? m_check : Check(zelk::cam::CheckHost);
    auto work = [results, check = std::move(check), cameras = std::vector { m_camera }](DetachedJob& job) {
        Findings findings;
        try {
            findings = check(cameras);
        } catch (const std::exception& error) {
            // Nothing to show beats a thread that ends the program.
            qCInfo(lcPlayer) << "host check failed:" << error.what();
        }
        results->findings.put(std::move(findings));
        job.post();
    };
    m_job = DetachedJob::start(
        std::move(work), [this] { QMetaObject::invokeMethod(this, "onDone", Qt::QueuedConnection); });
    if (!m_job) {
        qCInfo(lcPlayer) << "host check: no thread is available";
        return;
    }
    m_results = std::move(results);
    m_afterLoss = afterLoss;
    Q_EMIT runningChanged();
}

void HostCheckModel::onDone()
{
    if (!m_results)
        return;
    std::optional<Findings> findings = m_results->findings.take();
    if (!findings)
        return;
    std::stable_sort(findings->begin(), findings->end(),
        [](const SHostCheckFinding& a, const SHostCheckFinding& b) { return rank(a.status) < rank(b.status); });
    m_findings.clear();
    m_problemCount = 0;
    for (const SHostCheckFinding& finding : *findings) {
        if (finding.status == EHostCheckStatus::Problem)
            ++m_problemCount;
        m_findings.append(QVariantMap {
            { QStringLiteral("topic"), QString::fromStdString(finding.topic) },
            { QStringLiteral("subject"), QString::fromStdString(finding.subject) },
            { QStringLiteral("status"), statusName(finding.status) },
            { QStringLiteral("detail"), QString::fromStdString(finding.detail) },
            { QStringLiteral("fix"), QString::fromStdString(finding.fix) },
        });
    }
    m_job->cancel();
    m_job.reset();
    m_results.reset();
    // The findings first, so that whoever sees running fall finds them in place.
    Q_EMIT findingsChanged();
    Q_EMIT runningChanged();
}

} // namespace zelkir
