import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.qelt.zelkui 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 960
    height: 720
    title: "qeltstyle gallery"

    header: ToolBar {
        RowLayout {
            anchors.fill: parent
            ToolButton { text: "Open" ; onClicked: fileDialog.open() }
            ToolButton { text: "Checked"; checkable: true; checked: true }
            ToolSeparator { }
            ToolButton { text: "Menu"; onClicked: menu.open() }
            Item { Layout.fillWidth: true }
            Label { text: fileDialog.fileUrl.toString() || "no file chosen" }
        }
    }

    WidgetFileDialog {
        id: fileDialog
        title: "Open a recording"
        folder: shortcuts.documents
        nameFilters: ["Recordings (*.rec)", "All files (*)"]
    }

    Menu {
        id: menu
        y: 40
        MenuItem { text: "Zoom in" }
        MenuItem { text: "Show saturation colours"; checkable: true; checked: true }
        MenuSeparator { }
        MenuItem { text: "Disabled entry"; enabled: false }
    }

    Dialog {
        id: dialog
        title: "Subnet Mask"
        modal: false
        visible: true
        x: (parent.width - width) / 2
        y: parent.height - height - 20
        standardButtons: Dialog.Ok | Dialog.Cancel
        Item {
            implicitWidth: 400
            implicitHeight: message.implicitHeight
            Label {
                id: message
                width: parent.width
                wrapMode: Text.WordWrap
                text: "Subnet mask 255.0.0.0 doesn't match the recommended subnet mask 255.255.255.0.\n\nDo you want to use the recommended subnet mask instead?"
            }
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 16

        ColumnLayout {
            Layout.alignment: Qt.AlignTop
            spacing: 8

            Rectangle {
                Layout.preferredWidth: 220
                Layout.preferredHeight: 140
                color: "#3B3B43"
                ListView {
                    id: list
                    anchors.fill: parent
                    clip: true
                    model: ["Camera 192.168.0.10", "Camera 192.168.0.11", "Camera 169.254.3.4", "Camera 10.0.0.2",
                        "Camera 10.0.0.3", "Camera 10.0.0.4", "Camera 10.0.0.5", "Camera 10.0.0.6"]
                    currentIndex: 1
                    delegate: ItemDelegate {
                        width: ListView.view.width
                        text: modelData
                        highlighted: ListView.isCurrentItem
                        onClicked: list.currentIndex = index
                    }
                    ScrollIndicator.vertical: ScrollIndicator { active: true }
                }
            }
            Button { text: "Rescan"; Layout.fillWidth: true }
            Button { text: "Highlighted"; highlighted: true; Layout.fillWidth: true }
            Button { text: "Disabled"; enabled: false; Layout.fillWidth: true }
            Frame {
                Layout.fillWidth: true
                ColumnLayout {
                    CheckBox { text: "Loop playback"; checked: true }
                    CheckBox { text: "Partly"; tristate: true; checkState: Qt.PartiallyChecked }
                    CheckBox { text: "Off" }
                    Switch { text: "Realtime"; checked: true }
                }
            }
        }

        GridLayout {
            Layout.alignment: Qt.AlignTop
            Layout.fillWidth: true
            columns: 2
            rowSpacing: 8

            Label { text: "Current IP Address:" }
            TextField { text: "192.168.0.10"; readOnly: true; Layout.fillWidth: true }
            RadioButton { text: "Obtain an IP Address automatically"; Layout.columnSpan: 2 }
            RadioButton { text: "Use the following IP Address"; checked: true; Layout.columnSpan: 2 }
            Label { text: "IP Address:"; leftPadding: 24 }
            TextField { text: "192.168.0.10"; Layout.fillWidth: true; focus: true }
            Label { text: "Subnet Mask:"; leftPadding: 24; enabled: false }
            TextField { text: "255.255.255.0"; enabled: false; Layout.fillWidth: true }
            Label { text: "Placeholder:"; leftPadding: 24 }
            TextField { placeholderText: "Default Gateway"; Layout.fillWidth: true }
            Label { text: "Palette:" }
            ComboBox { model: ["Iron", "Rainbow", "Grey"]; Layout.fillWidth: true }
            Label { text: "Plateau:" }
            Slider { from: 2; to: 200; value: 80; Layout.fillWidth: true }
            Label { text: "Sharpness:" }
            SpinBox { from: 1; to: 7; value: 3 }
            Label { text: "Progress:" }
            ProgressBar { value: 0.4; Layout.fillWidth: true }
            TabBar {
                Layout.columnSpan: 2
                Layout.fillWidth: true
                TabButton { text: "Image" }
                TabButton { text: "Frame info" }
                TabButton { text: "Spot meter" }
            }
        }
    }
}
