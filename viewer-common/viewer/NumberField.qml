import QtQuick 2.7
import QtQuick.Controls 2.2

// A field for one number: shows `value` with `decimals` places and hands a typed number to
// `edited` when the user finishes; anything else returns to the value shown before.
TextField {
    id: field

    property real value: NaN
    property int decimals: 2
    // Radiance figures need their exponent.
    property bool exponential: false

    signal edited(real value)

    function shown(v) {
        if (!isFinite(v))
            return ""
        return exponential ? v.toExponential(4) : v.toFixed(decimals)
    }

    implicitWidth: 96
    selectByMouse: true
    horizontalAlignment: TextInput.AlignRight
    text: shown(value)
    onEditingFinished: {
        const typed = Number(text.trim().replace(",", "."))
        if (text.trim() !== "" && isFinite(typed) && typed !== value)
            edited(typed)
        text = Qt.binding(function () { return field.shown(field.value) })
    }
}
