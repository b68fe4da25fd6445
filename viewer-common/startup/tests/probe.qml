import QtQml
import ViewerStartupTest

// Records what start-up prepared, then leaves the event loop with a status of its own.
QtObject {
    property string startupArgument

    Component.onCompleted: {
        StartupProbe.record(startupArgument)
        Qt.callLater(Qt.exit, 7)
    }
}
