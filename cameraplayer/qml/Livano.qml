import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "controls"

// The camera player's window until its camera side exists.
ApplicationWindow {
    id: window

    property int toolbarHeight: 40
    // The camera named on the command line; connecting to it comes with the camera side.
    property string startupArgument

    visible: true
    title: "Livano"
    minimumWidth: 640
    minimumHeight: 552
    // Without a window manager nothing would enlarge a window of no size to its minimum.
    width: 800
    height: 600

    FontLoader {
        id: fontAwesome
        source: "qrc:/fonts/fontawesome-webfont.ttf"
    }

    FontLoader {
        id: materialIcons
        source: "qrc:/fonts/MaterialIcons-Regular.ttf"
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ToolBar {
            implicitHeight: window.toolbarHeight
            Layout.fillWidth: true

            RowLayout {
                anchors.fill: parent
                spacing: 0

                TopBarButton {
                    implicitWidth: window.toolbarHeight
                    implicitHeight: window.toolbarHeight
                    enabled: false
                    font.family: fontAwesome.name
                    font.pixelSize: 24
                    text: "\uf030"
                }

                Item {
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "#48484F"

            Text {
                anchors.centerIn: parent
                text: "No camera connected"
                font.pixelSize: 18
            }
        }
    }
}
