#pragma once

#include <QString>

/// What differs between the viewer programs at start-up.
struct ViewerIdentity
{
    /// The application name, e.g. "Reelvo".
    QString applicationName;
    /// A QML import path searched before the shared ones; empty for none.
    QString extraImportPath;
    /// The main window document, e.g. "qrc:/Reelvo.qml".
    QString mainDocument;
};

/// The viewers' whole `main`: sets the application identity, creates the application and
/// the QML engine, chooses the style, sets the window icon, the import and plugin paths,
/// initialises the IR imaging plugin, loads the main document and runs the event loop.
/// Returns the event loop's result, or -1 (without entering the loop) when the document
/// produced no root object. `argc` and `argv` go to the application object unchanged.
int runViewer(int& argc, char** argv, const ViewerIdentity& identity);
