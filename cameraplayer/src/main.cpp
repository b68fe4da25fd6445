#include <viewerstartup/viewerstartup.h>

int main(int argc, char* argv[])
{
    return runViewer(argc, argv,
        { QStringLiteral("Livano"), QString(), QStringLiteral("qrc:/Livano.qml"),
            QStringLiteral("Shows a thermal-infrared camera's live image."), QStringLiteral("camera"),
            QStringLiteral("The address or serial number of the camera to connect to.") });
}
