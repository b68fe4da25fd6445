// Times a full camera scan (discovery, then opening every camera and reading its IP
// settings) against arv-tool-0.8's bare listing of the same cameras, in one run.
// Run inside the fake-camera namespace: scripts/benchmark-scan.sh.
#include "addrixmodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds for one full scan; the listed camera count goes to `found`.
double timeScan(int& found)
{
    AddrixModel model;
    QEventLoop loop;
    QObject::connect(&model, &AddrixModel::scanningChanged, &loop, [&] {
        if (!model.scanning())
            loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    model.scan();
    loop.exec();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    found = model.cameras().size();
    return elapsed;
}

// Milliseconds for arv-tool-0.8 to list the cameras; the listed count goes to `found`.
double timePeer(int& found)
{
    QProcess peer;
    QElapsedTimer timer;
    timer.start();
    peer.start(QStringLiteral("arv-tool-0.8"), {});
    peer.waitForFinished(30000);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    found = QString::fromUtf8(peer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).size();
    return elapsed;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int expected = qEnvironmentVariable("QELT_FAKE_CAMERAS").split(' ', Qt::SkipEmptyParts).size();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    std::vector<double> scans;
    std::vector<double> peers;
    int scanned = 0;
    int listed = 0;
    for (int i = 0; i < rounds; ++i) {
        // Alternate so that both see the same machine state.
        scans.push_back(timeScan(scanned));
        peers.push_back(timePeer(listed));
    }

    QTextStream out(stdout);
    const double scanMs = median(scans);
    const double peerMs = median(peers);
    out << QStringLiteral("cameras %1  scan listed %2 in %3 ms  arv-tool-0.8 listed %4 in %5 ms  ratio %6\n")
               .arg(expected)
               .arg(scanned)
               .arg(scanMs, 0, 'f', 1)
               .arg(listed)
               .arg(peerMs, 0, 'f', 1)
               .arg(scanMs / peerMs, 0, 'f', 3);
    return scanned == expected && listed == expected ? 0 : 1;
}
