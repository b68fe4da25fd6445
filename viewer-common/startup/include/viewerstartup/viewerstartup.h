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
    /// One line of the help text saying what the program does.
    QString description;
    /// The positional argument's name in the help text, e.g. "file".
    QString argumentName;
    /// The positional argument's description in the help text.
    QString argumentDescription;
};

/// The viewers' whole `main`: sets the application identity, creates the application and
/// the QML engine, chooses the style, sets the window icon, the import and plugin paths,
/// initialises the IR imaging plugin, loads the main document and runs the event loop.
/// Returns the event loop's result, or -1 (without entering the loop) when the document
/// produced no root object. `argc` and `argv` go to the application object unchanged.
///
/// The command line is read as Qt programs read theirs: `--help` and `--version` print
/// their text and return 0, an unknown option prints an error and returns 1, in each case
/// before any document is loaded. The first positional argument, when there is one, is
/// handed to the main document as its initial property `startupArgument` (a string);
/// further ones are ignored.
int runViewer(int& argc, char** argv, const ViewerIdentity& identity);
