import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One row of the feature list: a category's heading, or a feature with the editor its type
// calls for and, under it, why the last value was not taken.
Item {
    id: row

    required property var model
    required property int index
    property var features: null
    // Typed input the camera would not take, said before anything is written.
    property string inputProblem: ""

    readonly property bool isCategory: model.type === "Category"
    readonly property string error: inputProblem !== "" ? inputProblem : model.error
    readonly property real indent: model.depth * 14
    readonly property color textColor: "#FAFAFA"
    readonly property color dimTextColor: "#B4B4BC"
    readonly property color errorColor: "#FF6B6B"

    implicitHeight: isCategory ? 30 : featureColumn.implicitHeight + 4

    // Shortest text of a number, with the feature's unit when asked.
    function numberText(value, withUnit) {
        const text = model.type === "Integer" ? String(value) : String(parseFloat(Number(value).toPrecision(7)))
        return withUnit && model.unit !== "" ? text + " " + model.unit : text
    }

    function checkNumber(text) {
        const number = Number(text)
        if (text === "" || !isFinite(number))
            return qsTr("Not a number.")
        if (model.type === "Integer" && !Number.isInteger(number))
            return qsTr("Not a whole number.")
        if (model.maximum > model.minimum && (number < model.minimum || number > model.maximum))
            return qsTr("Between %1 and %2.").arg(numberText(model.minimum, false))
                                             .arg(numberText(model.maximum, true))
        if (model.increment > 0) {
            const steps = (number - model.minimum) / model.increment
            if (Math.abs(steps - Math.round(steps)) > 1e-6)
                return qsTr("In steps of %1 from %2.").arg(numberText(model.increment, true))
                                                       .arg(numberText(model.minimum, true))
        }
        return ""
    }

    function commitNumber(text) {
        text = text.trim()
        if (text === model.valueText)
            return
        inputProblem = checkNumber(text)
        // As text, so that large integers keep every digit.
        if (inputProblem === "")
            features.setValue(index, text)
    }

    // Up and down keys step by the increment (1 for integers), within the range.
    function stepNumber(direction) {
        const step = model.increment > 0 ? model.increment : model.type === "Integer" ? 1 : 0
        if (step === 0 || model.value === null || model.value === undefined)
            return
        let next = Number(model.value) + direction * step
        if (model.maximum > model.minimum)
            next = Math.min(model.maximum, Math.max(model.minimum, next))
        inputProblem = ""
        features.setValue(index, model.type === "Integer" ? String(next) : next)
    }

    Rectangle {
        visible: row.isCategory
        anchors.fill: parent
        anchors.topMargin: 2
        anchors.bottomMargin: 2
        color: "#3B3B43"
        radius: 3

        Row {
            x: row.indent + 2
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2

            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: row.model.expanded ? "\ue5cf" : "\ue5cc" // expand_more, chevron_right
                font.family: "Material Icons"
                font.pixelSize: 18
                color: row.textColor
            }
            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: row.model.displayName
                font.bold: true
                color: row.textColor
            }
        }

        TapHandler {
            onTapped: row.features.setExpanded(row.index, !row.model.expanded)
        }
    }

    Column {
        id: featureColumn
        visible: !row.isCategory
        x: row.indent + 22
        y: 2
        width: row.width - x
        spacing: 2

        RowLayout {
            width: parent.width
            spacing: 6

            Label {
                id: nameLabel
                // Editors line up in one column whatever the depth.
                Layout.preferredWidth: row.width * 0.45 - featureColumn.x
                Layout.preferredHeight: 28
                text: row.model.displayName
                elide: Text.ElideRight
                color: row.model.readable || row.model.writable ? row.textColor : row.dimTextColor

                HoverHandler {
                    id: nameHover
                }
                ToolTip.visible: nameHover.hovered
                ToolTip.delay: 600
                ToolTip.text: row.model.description !== "" ? row.model.description : row.model.name
            }

            Loader {
                id: editorLoader
                Layout.fillWidth: true
                Layout.preferredHeight: 28
                sourceComponent: {
                    if (row.isCategory)
                        return null
                    const writable = row.model.writable
                    switch (row.model.type) {
                    case "Integer":
                    case "Float":
                        return writable ? numberEditor : readOnlyText
                    case "Enumeration":
                        return writable ? choiceEditor : readOnlyText
                    case "Boolean":
                        return writable ? switchEditor : readOnlyText
                    case "Command":
                        return writable ? commandEditor : readOnlyText
                    case "String":
                        return writable ? textEditor : readOnlyText
                    default:
                        return readOnlyText
                    }
                }
            }

            Label {
                // Short units keep the editors lined up; long ones take what they need.
                Layout.preferredWidth: Math.max(28, implicitWidth)
                Layout.maximumWidth: 100
                text: row.model.unit
                elide: Text.ElideRight
                color: row.dimTextColor
            }
        }

        Label {
            objectName: "errorText"
            width: parent.width
            visible: text !== ""
            text: row.error
            wrapMode: Text.Wrap
            color: row.errorColor
            font.pixelSize: 12
        }
    }

    Component {
        id: numberEditor

        TextField {
            objectName: "numberEditor"
            text: row.model.valueText
            selectByMouse: true
            color: row.inputProblem !== "" ? row.errorColor : row.textColor
            onTextEdited: row.inputProblem = ""
            onEditingFinished: row.commitNumber(text)
            Keys.onUpPressed: row.stepNumber(1)
            Keys.onDownPressed: row.stepNumber(-1)
            Keys.onEscapePressed: {
                row.inputProblem = ""
                text = Qt.binding(() => row.model.valueText)
            }
        }
    }

    Component {
        id: textEditor

        TextField {
            objectName: "textEditor"
            text: row.model.valueText
            selectByMouse: true
            onEditingFinished: if (text !== row.model.valueText) row.features.setValue(row.index, text)
            Keys.onEscapePressed: text = Qt.binding(() => row.model.valueText)
        }
    }

    Component {
        id: choiceEditor

        ComboBox {
            objectName: "choiceEditor"
            model: row.model.entryDisplayNames
            currentIndex: row.model.entryNames.indexOf(row.model.value)
            onActivated: index => row.features.setValue(row.index, row.model.entryNames[index])
        }
    }

    Component {
        id: switchEditor

        Switch {
            objectName: "switchEditor"
            leftPadding: 0
            checked: row.model.value === true
            text: row.model.valueText
            onToggled: row.features.setValue(row.index, checked)
        }
    }

    Component {
        id: commandEditor

        Button {
            objectName: "commandEditor"
            text: qsTr("Execute")
            onClicked: row.features.execute(row.index)
        }
    }

    Component {
        id: readOnlyText

        Label {
            objectName: "readOnlyText"
            text: row.model.readable || row.model.type === "Register" ? row.model.valueText : qsTr("Not available")
            font.italic: !row.model.readable && row.model.type !== "Register"
            elide: Text.ElideRight
            color: row.dimTextColor
        }
    }
}
