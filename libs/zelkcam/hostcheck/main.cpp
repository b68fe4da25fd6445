// qelt-host-check: reports what on this computer stands in the way of GigE Vision streams
// (receive buffer limit, MTU, reverse-path filter, firewall), each problem with the command
// that fixes it. It changes nothing.

#include "hostcheckcameras.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum ExitCode { NoProblem = 0, ProblemsFound = 1, UsageError = 2 };

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qelt-host-check");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tells whether this computer is set up for GigE Vision streams. Changes nothing.\n"
        "Without --camera, every camera that answers discovery is checked. Run as root to\n"
        "read the firewall rules.\n"
        "Exit status: 0 no problem found, 1 problems found, 2 bad arguments.");
    parser.addHelpOption();
    const QCommandLineOption cameraOption("camera",
        "Check the camera at <address> (asked directly, nothing broadcast). May be repeated.", "address");
    const QCommandLineOption frameOption("frame-bytes",
        "Check for frames of <bytes> (when the cameras cannot be asked).", "bytes");
    parser.addOption(cameraOption);
    parser.addOption(frameOption);
    parser.process(app);

    std::vector<zelk::cam::SHostCheckCamera> cameras;
    if (parser.isSet(cameraOption)) {
        for (const QString& address : parser.values(cameraOption)) {
            zelk::cam::SHostCheckCamera camera;
            std::string error;
            if (!hostcheck::CameraAt(address.toStdString(), camera, error)) {
                std::fprintf(stderr, "qelt-host-check: %s\n", error.c_str());
                return UsageError;
            }
            cameras.push_back(camera);
        }
    } else {
        cameras = hostcheck::DiscoveredCameras();
        if (cameras.empty()) {
            std::printf("No GigE Vision camera answered; checking every network interface.\n");
            cameras = hostcheck::AnyCameraOnEachInterface();
        } else {
            std::printf("Cameras found: %zu\n", cameras.size());
        }
    }
    if (parser.isSet(frameOption)) {
        bool ok = false;
        const qulonglong bytes = parser.value(frameOption).toULongLong(&ok);
        if (!ok || bytes == 0) {
            std::fprintf(stderr, "qelt-host-check: --frame-bytes needs a positive number\n");
            return UsageError;
        }
        if (cameras.empty())
            cameras.emplace_back().name = "a camera";
        for (zelk::cam::SHostCheckCamera& camera : cameras)
            camera.frameBytes = bytes;
    }

    const std::vector<zelk::cam::SHostCheckFinding> findings = zelk::cam::CheckHost(cameras);
    std::fputs(zelk::cam::FormatHostCheck(findings).c_str(), stdout);
    for (const zelk::cam::SHostCheckFinding& finding : findings) {
        if (finding.status == zelk::cam::EHostCheckStatus::Problem)
            return ProblemsFound;
    }
    return NoProblem;
}
