import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Says what on this computer loses a camera's frames, and the commands that fix it. Opens
// when a check started because frames were lost finds problems, stays through "Check
// again", and closes when the user closes it or nothing is left to fix.
Rectangle {
    id: notice

    // A live player's hostCheck: QtObject, so that tests can hand in one of their own.
    property QtObject hostCheck: null
    property bool open: false
    // The list's height at most; the rest scrolls.
    property real maximumListHeight: 300

    readonly property bool running: hostCheck !== null && hostCheck.running
    readonly property var problems: hostCheck !== null
        ? hostCheck.findings.filter(finding => finding.status === "problem") : []

    onHostCheckChanged: open = false

    Connections {
        target: notice.hostCheck
        function onFindingsChanged() {
            if (notice.hostCheck.checkedAfterLoss && notice.hostCheck.problemCount > 0)
                notice.open = true
        }
    }

    visible: open && problems.length > 0
    implicitWidth: 520
    implicitHeight: column.implicitHeight + 16
    color: "#2F2F37"
    border.color: "#1780EC"

    component Problem: ColumnLayout {
        id: problem

        required property var modelData

        width: ListView.view ? ListView.view.width : implicitWidth
        spacing: 2

        Label {
            objectName: "problemTitle"
            Layout.fillWidth: true
            text: problem.modelData.subject !== ""
                  ? problem.modelData.topic + " (" + problem.modelData.subject + ")" : problem.modelData.topic
            color: "#FAFAFA"
            font.bold: true
            elide: Text.ElideRight
        }
        Label {
            objectName: "problemDetail"
            Layout.fillWidth: true
            text: problem.modelData.detail
            color: "#B4B4BC"
            wrapMode: Text.WordWrap
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.bottomMargin: 6
            visible: problem.modelData.fix !== ""
            spacing: 4

            TextField {
                id: fixField
                objectName: "fixField"
                Layout.fillWidth: true
                text: problem.modelData.fix
                readOnly: true
                selectByMouse: true
                font.family: "monospace"
            }
            Button {
                objectName: "copyButton"
                text: qsTr("Copy")
                onClicked: {
                    fixField.selectAll()
                    fixField.copy()
                    fixField.deselect()
                }
            }
        }
    }

    // The image beneath gets no clicks, drags or wheel turns through the notice.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        onWheel: wheel => wheel.accepted = true
    }

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 8
        spacing: 4

        RowLayout {
            Layout.fillWidth: true
            spacing: 8

            Label {
                text: "!"
                color: "#FFB74D"
                font.pixelSize: 16
                font.bold: true
            }
            Label {
                Layout.fillWidth: true
                text: qsTr("Frames are being lost")
                color: "#FAFAFA"
                font.pixelSize: 16
                elide: Text.ElideRight
            }
            BusyIndicator {
                objectName: "checkIndicator"
                Layout.preferredWidth: 28
                Layout.preferredHeight: 28
                running: notice.running
                visible: running
                palette.dark: "#FAFAFA"
            }
            Button {
                objectName: "checkAgainButton"
                text: qsTr("Check again")
                enabled: notice.hostCheck !== null && !notice.running
                onClicked: notice.hostCheck.run()
            }
            Button {
                objectName: "closeNoticeButton"
                text: qsTr("Close")
                onClicked: notice.open = false
            }
        }
        Label {
            Layout.fillWidth: true
            text: qsTr("This computer is not fully set up for GigE Vision streaming:")
            color: "#FAFAFA"
            wrapMode: Text.WordWrap
        }
        ListView {
            objectName: "problemList"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(contentHeight, notice.maximumListHeight)
            Layout.topMargin: 4
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            spacing: 4
            model: notice.problems
            delegate: Problem {}
            ScrollBar.vertical: ScrollBar {}
        }
    }
}
