import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3

// One frame back, the position in the playable range, one frame on.
ToolBar {
    id: bar

    // The document's file player, null while there is none.
    property var player: null
    property string iconFont

    Layout.fillWidth: true
    implicitHeight: 28
    padding: 0
    horizontalPadding: 0

    RowLayout {
        anchors.fill: parent
        spacing: 0

        PlayGlyphButton {
            objectName: "stepBackButton"
            font.family: bar.iconFont
            text: "\uf048"
            onClicked: {
                if (bar.player)
                    bar.player.step(-1)
            }
        }

        Slider {
            objectName: "positionSlider"
            implicitHeight: 28
            Layout.fillWidth: true
            from: bar.player ? bar.player.boundStart : 0
            to: bar.player ? bar.player.boundEnd : 0
            stepSize: 1
            snapMode: Slider.SnapAlways
            value: bar.player ? bar.player.frameNumber : 0
            onMoved: {
                if (bar.player)
                    bar.player.jumpTo(value)
            }
        }

        PlayGlyphButton {
            objectName: "stepOnButton"
            font.family: bar.iconFont
            text: "\uf051"
            onClicked: {
                if (bar.player)
                    bar.player.step(1)
            }
        }
    }
}
