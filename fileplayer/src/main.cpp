#include <viewerstartup/viewerstartup.h>

int main(int argc, char* argv[])
{
    return runViewer(argc, argv,
        { QStringLiteral("Reelvo"), QStringLiteral("qrc:/controls/"), QStringLiteral("qrc:/Reelvo.qml") });
}
