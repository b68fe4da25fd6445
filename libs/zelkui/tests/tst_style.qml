import QtQuick
import QtQuick.Controls
import QtTest

TestCase {
    id: testCase
    name: "Style"
    width: 400
    height: 400
    visible: true
    when: windowShown

    readonly property color rest: "#22222B"
    readonly property color hovered: "#2F2F37"
    readonly property color pressed: "#171720"
    readonly property color accent: "#1780EC"
    readonly property color highlightedText: "#5AABFF"
    readonly property color text: "#FAFAFA"

    Component {
        id: button
        Button {
            text: "Apply"
            hoverEnabled: true
        }
    }

    Component {
        id: radioButton
        RadioButton {
            text: "Use the following IP Address"
        }
    }

    Component {
        id: checkBox
        CheckBox {
            text: "Loop"
        }
    }

    Component {
        id: label
        Label {
            text: "Subnet Mask:"
        }
    }

    Component {
        id: textField
        TextField {
            text: "192.168.0.10"
        }
    }

    Component {
        id: comboBox
        ComboBox {
            model: ["Iron", "Rainbow", "Grey"]
        }
    }

    Component {
        id: slider
        Slider {
            width: 200
            from: 0
            to: 100
        }
    }

    Component {
        id: spinBox
        SpinBox {
            from: 0
            to: 10
        }
    }

    Component {
        id: dialog
        Dialog {
            title: "Subnet Mask"
            standardButtons: Dialog.Ok | Dialog.Cancel
            Label {
                text: "Content"
            }
        }
    }

    Component {
        id: popup
        Popup {
            Label {
                text: "Content"
            }
        }
    }

    Component {
        id: itemDelegate
        ItemDelegate {
            text: "Camera"
        }
    }

    Component {
        id: applicationWindow
        ApplicationWindow {
            width: 100
            height: 100
        }
    }

    function compareColor(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": expected " + expected + ", got " + actual)
    }

    function test_buttonStates() {
        const control = createTemporaryObject(button, testCase)
        verify(control)
        compareColor(control.background.color, rest, "at rest")
        compareColor(control.contentItem.color, text, "text")

        mouseMove(control, control.width / 2, control.height / 2)
        tryCompare(control, "hovered", true)
        compareColor(control.background.color, hovered, "hovered")

        mousePress(control)
        verify(control.pressed)
        compareColor(control.background.color, pressed, "pressed")
        mouseRelease(control)
        compareColor(control.background.color, hovered, "released under the mouse")
    }

    function test_buttonSizeFollowsText() {
        const control = createTemporaryObject(button, testCase)
        const narrow = control.implicitWidth
        control.text = "A much longer button text than before"
        verify(control.implicitWidth > narrow)
        compare(control.implicitWidth, Math.max(control.implicitBackgroundWidth + control.leftInset + control.rightInset,
                                                control.implicitContentWidth + control.leftPadding + control.rightPadding))
        verify(control.implicitHeight >= control.implicitContentHeight)
    }

    function test_highlightedButton() {
        const control = createTemporaryObject(button, testCase, { highlighted: true })
        compareColor(control.contentItem.color, highlightedText, "highlighted text")
        compareColor(control.background.border.color, accent, "highlighted outline")
    }

    function test_disabledOpacity_data() {
        return [
            { tag: "Button", component: button },
            { tag: "RadioButton", component: radioButton },
            { tag: "CheckBox", component: checkBox },
            { tag: "Label", component: label },
            { tag: "TextField", component: textField },
            { tag: "ComboBox", component: comboBox },
            { tag: "Slider", component: slider },
            { tag: "SpinBox", component: spinBox },
            { tag: "ItemDelegate", component: itemDelegate }
        ]
    }

    function test_disabledOpacity(data) {
        const control = createTemporaryObject(data.component, testCase)
        verify(control)
        compare(control.opacity, 1)
        control.enabled = false
        compare(control.opacity, 0.5)
    }

    function test_radioButtonIndicator() {
        const control = createTemporaryObject(radioButton, testCase)
        verify(!control.indicator.dot.visible)
        mouseClick(control)
        verify(control.checked)
        verify(control.indicator.dot.visible)
        compareColor(control.indicator.dot.color, accent, "checked dot")
        compareColor(control.indicator.border.color, accent, "checked ring")
        compareColor(control.contentItem.color, text, "text")
    }

    function test_checkBoxIndicator() {
        const control = createTemporaryObject(checkBox, testCase)
        verify(!Qt.colorEqual(control.indicator.color, accent))
        mouseClick(control)
        verify(control.checked)
        compareColor(control.indicator.color, accent, "checked box")
        control.checkState = Qt.PartiallyChecked
        compareColor(control.indicator.color, accent, "partially checked box")
    }

    function test_labelText() {
        const control = createTemporaryObject(label, testCase)
        compareColor(control.color, text, "label")
    }

    function test_textFieldLooks() {
        const control = createTemporaryObject(textField, testCase)
        compareColor(control.color, text, "text")
        const editableFill = control.background.color
        verify(editableFill.a > 0)
        verify(!Qt.colorEqual(control.background.border.color, accent))

        control.forceActiveFocus()
        compareColor(control.background.border.color, accent, "focused outline")

        control.readOnly = true
        verify(!Qt.colorEqual(control.background.border.color, accent))
        compare(control.background.color.a, 0)
        compare(control.opacity, 1)
    }

    function test_comboBoxPopup() {
        const control = createTemporaryObject(comboBox, testCase)
        compareColor(control.background.color, rest, "at rest")
        compare(control.displayText, "Iron")
        mouseClick(control)
        tryCompare(control.popup, "opened", true)
        compareColor(control.popup.background.color, hovered, "popup")
        const list = control.popup.contentItem
        compare(list.count, 3)
        const first = list.itemAtIndex(0)
        verify(first)
        compare(first.text, "Iron")
        compare(first.highlighted, true)
        compare(first.background.children[0].visible, true)
        compareColor(first.background.children[0].color, accent, "highlight bar")
        keyClick(Qt.Key_Escape)
        tryCompare(control.popup, "visible", false)
    }

    function test_sliderFill() {
        const control = createTemporaryObject(slider, testCase, { value: 25 })
        const fill = control.background.children[0]
        compareColor(fill.color, accent, "fill")
        fuzzyCompare(fill.width, control.background.width / 4, 1)
        control.value = 100
        fuzzyCompare(fill.width, control.background.width, 1)
    }

    function test_spinBoxButtons() {
        const control = createTemporaryObject(spinBox, testCase, { value: 5 })
        compareColor(control.up.indicator.color, rest, "plus at rest")
        mouseClick(control.up.indicator)
        compare(control.value, 6)
        mouseClick(control.down.indicator)
        mouseClick(control.down.indicator)
        compare(control.value, 4)
    }

    function test_dialog() {
        const control = createTemporaryObject(dialog, testCase)
        control.open()
        tryCompare(control, "opened", true)
        compareColor(control.background.color, hovered, "dialog background")
        compare(control.header.text, "Subnet Mask")
        verify(control.header.visible)
        compareColor(control.header.color, text, "title")
        verify(control.footer.visible)
        compare(control.footer.count, 2)
        const ok = control.standardButton(Dialog.Ok)
        verify(ok)
        compareColor(ok.background.color, rest, "dialog button")
        verify(control.footer.y >= control.contentItem.y + control.contentItem.height)
        const rejected = signalSpy.createObject(testCase, { target: control, signalName: "rejected" })
        mouseClick(control.standardButton(Dialog.Cancel))
        compare(rejected.count, 1)
        tryCompare(control, "visible", false)
    }

    function test_popup() {
        const control = createTemporaryObject(popup, testCase)
        control.open()
        tryCompare(control, "opened", true)
        compareColor(control.background.color, hovered, "popup background")
        control.close()
    }

    function test_itemDelegateHighlight() {
        const control = createTemporaryObject(itemDelegate, testCase)
        verify(!control.background.children[0].visible)
        control.highlighted = true
        verify(control.background.children[0].visible)
        compareColor(control.background.children[0].color, accent, "selection marker")
    }

    function test_applicationWindow() {
        const window = createTemporaryObject(applicationWindow, null)
        verify(window)
        verify(window.color.hslLightness < 0.2)
        compareColor(window.palette.windowText, text, "palette text")
        compareColor(window.palette.highlight, accent, "palette highlight")
    }

    Component {
        id: signalSpy
        SignalSpy { }
    }
}
