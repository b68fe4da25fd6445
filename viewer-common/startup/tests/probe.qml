import QtQml
import ViewerStartupTest

// Records what start-up prepared, then leaves the event loop with a status of its own.
QtObject {
    Component.onCompleted: {
        StartupProbe.record()
        Qt.callLater(Qt.exit, 7)
    }
}
