import QtQuick 2.7
import com.qelt.zelkir 1.0
import "../controls"

// The palette beside the image with its scale in the document's unit: the ticks follow the
// enhancement's clip points, or the fixed span while it is locked.
Rectangle {
    id: bar

    property var document: null
    property string paletteName: "Grayscale"
    // The user's choice; with nothing to scale the bar hides anyway.
    property bool shown: true
    readonly property var ticks: document ? document.colorBarTicks : []
    readonly property string unitSymbol: {
        if (!document)
            return ""
        const unit = document.unit
        if (unit === DocumentModel.TEMPERATURE_FACTORY || unit === DocumentModel.TEMPERATURE_USER)
            return document.tempTypeStrings[document.tempTypeIndex]
        return ""
    }

    width: 84
    color: "#B0222229"
    radius: 2
    visible: shown && !!document && ticks.length > 0

    Rectangle {
        id: rampFrame
        anchors.left: parent.left
        anchors.leftMargin: 6
        anchors.top: parent.top
        anchors.topMargin: 18
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        width: 14
        color: "#FFFFFF"

        Image {
            objectName: "colorBarRamp"
            anchors.fill: parent
            anchors.margins: 1
            source: "image://palettes/" + bar.paletteName
            sourceSize: Qt.size(1, 256)
            smooth: false
        }
    }

    Text {
        objectName: "colorBarUnit"
        anchors.top: parent.top
        anchors.topMargin: 2
        anchors.left: rampFrame.left
        font.pixelSize: 11
        text: bar.unitSymbol
    }

    Repeater {
        model: bar.ticks

        Item {
            id: tick

            required property var modelData
            readonly property real rampY: rampFrame.y + 1 + (rampFrame.height - 2) * (1 - modelData.position)

            x: rampFrame.x + rampFrame.width
            y: rampY
            width: bar.width - x
            height: 1

            Rectangle {
                width: 4
                height: 1
                color: "#FAFAFA"
            }

            Text {
                objectName: "colorBarTick"
                x: 6
                anchors.verticalCenter: parent.verticalCenter
                font.pixelSize: 11
                text: tick.modelData.text
            }
        }
    }
}
