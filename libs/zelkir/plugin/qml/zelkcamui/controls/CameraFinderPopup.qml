import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.qelt.zelkir 1.0

// Lists the cameras the finder found, the remembered one first, and hands the one the
// user picks to connect(). Cameras that cannot be reached are shown with the reason.
Popup {
    id: popup

    property CameraFinder cameraFinder: null
    // The folder holding "lastCamera.xml"; empty: no camera is remembered.
    property string configDir
    // Read afresh each time the popup opens, so that a camera saved meanwhile shows.
    property CameraInfo rememberedCamera: null

    signal connect(var camera)

    readonly property bool scanning: cameraFinder !== null && cameraFinder.scanning
    readonly property int foundCount: cameraFinder !== null ? cameraFinder.cameras.size : 0
    // Tests and programs without the font still get readable buttons.
    readonly property bool hasIconFont: Qt.fontFamilies().includes("Material Icons")

    width: 440
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    onAboutToShow: {
        rememberedCamera = cameraFinder !== null && configDir !== ""
            ? cameraFinder.loadCameraInfo(configDir + "/lastCamera.xml") : null
    }

    background: Rectangle {
        color: "#2F2F37"
        border.color: "#48484F"
    }

    component Caption: Label {
        color: "#B4B4BC"
        font.pixelSize: 11
        font.capitalization: Font.AllUppercase
        leftPadding: 12
        topPadding: 8
        bottomPadding: 4
    }

    // Inline components do not see the popup's ids: what they need comes in properties.
    component Icon: Label {
        property string glyph
        property string fallback
        property bool iconFont
        text: iconFont ? glyph : fallback
        font.family: iconFont ? "Material Icons" : Qt.application.font.family
        font.pixelSize: iconFont ? 24 : 13
        color: "#FAFAFA"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    component CameraRow: ItemDelegate {
        id: row

        property CameraInfo info: null
        property bool iconFont
        readonly property bool reachable: info !== null && info.reachable

        signal picked(CameraInfo camera)

        function joined(parts) {
            return parts.filter(part => part !== "").join("  ·  ")
        }

        width: ListView.view ? ListView.view.width : parent.width
        padding: 8
        leftPadding: 12
        rightPadding: 12
        hoverEnabled: true

        background: Rectangle {
            color: row.down && row.reachable ? "#171720"
                 : row.hovered && row.reachable ? "#3B3B43" : "transparent"
        }

        contentItem: RowLayout {
            spacing: 12

            Icon {
                Layout.preferredWidth: 28
                Layout.alignment: Qt.AlignTop
                iconFont: row.iconFont
                glyph: row.reachable ? "\ue04b" : "\ue002"
                fallback: row.reachable ? "" : "!"
                color: row.reachable ? "#FAFAFA" : "#FFB74D"
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2

                Label {
                    Layout.fillWidth: true
                    text: row.info ? row.info.displayName : ""
                    color: "#FAFAFA"
                    font.pixelSize: 14
                    font.bold: true
                    elide: Text.ElideRight
                }
                Label {
                    objectName: "identity"
                    Layout.fillWidth: true
                    text: row.info ? row.joined([row.info.vendor, row.info.model,
                                                 row.info.serial !== "" ? "S/N " + row.info.serial : ""])
                                   : ""
                    color: "#B4B4BC"
                    elide: Text.ElideRight
                }
                Label {
                    objectName: "details"
                    Layout.fillWidth: true
                    text: row.info ? row.joined([row.info.address, row.info.macAddress,
                                                 row.info.interfaceName !== "" ? "via " + row.info.interfaceName : ""])
                                   : ""
                    color: "#B4B4BC"
                    elide: Text.ElideRight
                }
                Label {
                    objectName: "unreachable"
                    Layout.fillWidth: true
                    visible: row.info !== null && !row.reachable
                    text: qsTr("Not on a subnet of this computer; use Addrix to change its address.")
                    color: "#FFB74D"
                    wrapMode: Text.WordWrap
                }
            }
        }

        onClicked: {
            if (reachable)
                picked(info)
        }
    }

    contentItem: ColumnLayout {
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 4
            Layout.preferredHeight: 40
            spacing: 4

            Label {
                Layout.fillWidth: true
                text: qsTr("Cameras")
                color: "#FAFAFA"
                font.pixelSize: 16
            }
            BusyIndicator {
                objectName: "scanIndicator"
                Layout.preferredWidth: 28
                Layout.preferredHeight: 28
                running: popup.scanning
                visible: running
                palette.dark: "#FAFAFA"
            }
            ToolButton {
                objectName: "rescanButton"
                Layout.preferredHeight: 36
                Layout.preferredWidth: popup.hasIconFont ? 36 : implicitWidth
                enabled: popup.cameraFinder !== null && !popup.scanning
                contentItem: Icon {
                    iconFont: popup.hasIconFont
                    glyph: "\ue5d5"
                    fallback: qsTr("Rescan")
                }
                ToolTip.visible: hovered
                ToolTip.text: qsTr("Search again")
                onClicked: popup.cameraFinder.scan()
            }
        }

        Caption {
            visible: popup.rememberedCamera !== null
            text: qsTr("Last used")
        }
        CameraRow {
            objectName: "rememberedCamera"
            Layout.fillWidth: true
            visible: popup.rememberedCamera !== null
            info: popup.rememberedCamera
            iconFont: popup.hasIconFont
            onPicked: camera => popup.connect(camera)
        }

        Caption {
            text: qsTr("Found on the network")
        }
        ListView {
            objectName: "cameraList"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(contentHeight, 320)
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: popup.cameraFinder !== null ? popup.cameraFinder.cameras : null
            delegate: CameraRow {
                required property CameraInfo camera
                info: camera
                iconFont: popup.hasIconFont
                onPicked: camera => popup.connect(camera)
            }
            ScrollBar.vertical: ScrollBar {}
        }
        Label {
            Layout.fillWidth: true
            visible: popup.foundCount === 0
            leftPadding: 12
            topPadding: 4
            bottomPadding: 12
            text: popup.scanning ? qsTr("Searching for cameras…") : qsTr("No camera found.")
            color: "#B4B4BC"
        }
        Item {
            Layout.preferredHeight: 8
        }
    }
}
