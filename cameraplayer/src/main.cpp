#include <viewerstartup/viewerstartup.h>

int main(int argc, char* argv[])
{
    return runViewer(argc, argv, { QStringLiteral("Livano"), QString(), QStringLiteral("qrc:/Livano.qml") });
}
