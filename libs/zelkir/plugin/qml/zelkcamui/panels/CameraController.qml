import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt.labs.platform as Labs

// The camera's own control panel: its GenICam features by category, and snapshots and
// recordings. The window's loader gives it `cameraModel`; the window, `lastDirectoryOpened`.
Rectangle {
    id: panel

    readonly property var camera: typeof cameraModel !== "undefined" ? cameraModel : null
    readonly property var features: camera && camera.features ? camera.features : null
    // Where snapshots and recordings go, as a folder path.
    readonly property string folder: folderPath(typeof lastDirectoryOpened !== "undefined" ? lastDirectoryOpened : "")
    // Followed when the camera model does not say whether it records.
    property bool recordingHere: false
    readonly property bool recording: camera && typeof camera.recording === "boolean" ? camera.recording
                                                                                        : recordingHere
    readonly property color textColor: "#FAFAFA"
    readonly property color dimTextColor: "#B4B4BC"

    implicitWidth: 420
    implicitHeight: 520
    color: "#2F2F37"

    // The window may give a location of Qt.labs.platform's StandardPaths (a number, or its
    // text when it went through a string property), a path, or a file URL.
    function folderPath(where) {
        let text = where === undefined || where === null ? "" : String(where)
        if (/^[0-9]+$/.test(text))
            text = String(Labs.StandardPaths.writableLocation(Number(text)))
        if (text === "")
            text = String(Labs.StandardPaths.writableLocation(Labs.StandardPaths.DocumentsLocation))
        if (text.startsWith("file:"))
            text = decodeURIComponent(text.replace(/^file:(\/\/)?/, ""))
        return text
    }

    function refresh() {
        if (features)
            features.refreshAllVisible()
        else if (camera && typeof camera.refreshAllVisible === "function")
            camera.refreshAllVisible()
    }

    function toggleRecording() {
        if (recording) {
            camera.stopRecording()
            recordingHere = false
        } else {
            camera.startRecording(folder)
            recordingHere = true
        }
    }

    // Values may have changed while the popup was closed.
    onVisibleChanged: if (visible) refresh()

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            spacing: 6

            ComboBox {
                id: levelBox
                objectName: "levelBox"
                Layout.preferredWidth: 104
                model: [qsTr("Beginner"), qsTr("Expert"), qsTr("Guru")]
                currentIndex: panel.features ? panel.features.visibilityLevel : 0
                enabled: panel.features !== null
                onActivated: index => panel.features.visibilityLevel = index
            }

            TextField {
                id: filterField
                objectName: "filterField"
                Layout.fillWidth: true
                leftPadding: 28
                placeholderText: qsTr("Filter by name")
                enabled: panel.features !== null
                selectByMouse: true
                onTextChanged: if (panel.features) panel.features.filter = text

                Label {
                    x: 6
                    anchors.verticalCenter: parent.verticalCenter
                    text: "\ue8b6" // search
                    font.family: "Material Icons"
                    font.pixelSize: 18
                    color: panel.dimTextColor
                }
            }

            GlyphButton {
                glyph: "\ue5d5" // refresh
                tip: qsTr("Read the values again")
                enabled: panel.camera !== null
                onClicked: panel.refresh()
            }
        }

        ListView {
            id: featureList
            objectName: "featureList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: panel.features
            ScrollBar.vertical: ScrollBar {}

            delegate: FeatureRow {
                width: ListView.view.width - 10
                features: panel.features
            }

            Label {
                anchors.centerIn: parent
                width: parent.width - 40
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                color: panel.dimTextColor
                text: !panel.features ? qsTr("This camera offers no settings.")
                    : !panel.features.ready ? qsTr("Reading the camera's settings…")
                    : featureList.count === 0 ? qsTr("No setting matches.") : ""
                visible: text !== ""
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 6

            Button {
                id: snapshotButton
                objectName: "snapshotButton"
                enabled: panel.camera !== null && typeof panel.camera.saveSnapshot === "function"
                contentItem: GlyphLabel {
                    glyph: "\ue412" // photo_camera
                    text: qsTr("Snapshot")
                }
                onClicked: panel.camera.saveSnapshot(panel.folder)
            }

            Button {
                id: recordButton
                objectName: "recordButton"
                enabled: panel.camera !== null && typeof panel.camera.startRecording === "function"
                         && typeof panel.camera.stopRecording === "function"
                contentItem: GlyphLabel {
                    glyph: panel.recording ? "\ue047" : "\ue061" // stop, fiber_manual_record
                    glyphColor: panel.recording ? panel.textColor : "#E5484D"
                    text: panel.recording ? qsTr("Stop") : qsTr("Record")
                }
                onClicked: panel.toggleRecording()
            }

            Label {
                Layout.fillWidth: true
                text: panel.folder
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignRight
                color: panel.dimTextColor
                font.pixelSize: 11

                HoverHandler {
                    id: folderHover
                }
                ToolTip.visible: folderHover.hovered
                ToolTip.text: qsTr("Snapshots and recordings go to %1").arg(panel.folder)
            }
        }
    }

    component GlyphLabel: Row {
        property string glyph
        property color glyphColor: "#FAFAFA"
        property alias text: caption.text

        spacing: 6

        Label {
            anchors.verticalCenter: parent.verticalCenter
            text: parent.glyph
            font.family: "Material Icons"
            font.pixelSize: 18
            color: parent.glyphColor
        }
        Label {
            id: caption
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    component GlyphButton: ToolButton {
        property string glyph
        property string tip

        implicitWidth: 32
        implicitHeight: 32
        text: glyph
        font.family: "Material Icons"
        font.pixelSize: 20
        ToolTip.visible: hovered && tip !== ""
        ToolTip.text: tip
        ToolTip.delay: 600
    }
}
