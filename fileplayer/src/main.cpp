#include <viewerstartup/viewerstartup.h>

int main(int argc, char* argv[])
{
    return runViewer(argc, argv,
        { QStringLiteral("Reelvo"), QStringLiteral("qrc:/controls/"), QStringLiteral("qrc:/Reelvo.qml"),
            QStringLiteral("Plays thermal-infrared image and movie files."), QStringLiteral("file"),
            QStringLiteral("The image or movie file to open; further files are ignored.") });
}
