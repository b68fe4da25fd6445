import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3

// Play, stop, fast play and the ends of the range, the loop switch and the frame number.
ToolBar {
    id: bar

    // The document's file player, null while there is none.
    property var player: null
    property int fastPlaySkipBy: 10
    property string iconFont

    Layout.fillWidth: true
    implicitHeight: 28
    // The row sits edge to edge, so every button keeps its 28 pixels.
    padding: 0
    horizontalPadding: 0

    RowLayout {
        anchors.fill: parent
        spacing: 0

        PlayGlyphButton {
            objectName: "firstFrameButton"
            font.family: bar.iconFont
            text: "\uf049"
            onClicked: {
                if (bar.player)
                    bar.player.jumpToFirst()
            }
        }

        // The five speeds are one exclusive choice through their highlights alone.
        Repeater {
            model: [
                { name: "fastBackwardsButton", glyph: "\uf04a", pixelSize: 16, direction: -1, fast: true },
                { name: "backwardsButton", glyph: "\uf0d9", pixelSize: 20, direction: -1, fast: false },
                { name: "stopButton", glyph: "\uf04d", pixelSize: 16, direction: 0, fast: false },
                { name: "playButton", glyph: "\uf0da", pixelSize: 20, direction: 1, fast: false },
                { name: "fastForwardsButton", glyph: "\uf04e", pixelSize: 16, direction: 1, fast: true }
            ]

            PlayGlyphButton {
                required property var modelData
                readonly property int speed: modelData.direction * (modelData.fast ? bar.fastPlaySkipBy : 1)

                objectName: modelData.name
                font.family: bar.iconFont
                font.pixelSize: modelData.pixelSize
                text: modelData.glyph
                highlighted: bar.player ? bar.player.playSpeed === speed : false
                onClicked: {
                    if (bar.player)
                        bar.player.playSpeed = speed
                }
            }
        }

        PlayGlyphButton {
            objectName: "lastFrameButton"
            font.family: bar.iconFont
            text: "\uf050"
            onClicked: {
                if (bar.player)
                    bar.player.jumpToLast()
            }
        }

        Item {
            implicitWidth: 4
        }

        PlayGlyphButton {
            objectName: "loopButton"
            font.family: bar.iconFont
            text: "\uf01e"
            highlighted: bar.player ? bar.player.loopPlayback : false
            onClicked: {
                if (bar.player)
                    bar.player.loopPlayback = !bar.player.loopPlayback
            }
        }

        Item {
            Layout.fillWidth: true
        }

        TextField {
            objectName: "frameNumberField"
            implicitWidth: 80
            implicitHeight: 28
            selectByMouse: true
            text: bar.player ? bar.player.frameNumber : ""
            onEditingFinished: {
                if (bar.player)
                    bar.player.frameNumber = text
            }
        }
    }
}
