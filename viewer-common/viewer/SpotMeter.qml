import QtQuick 2.7
import QtQuick.Controls 2.2
import com.qelt.zelkir 1.0
import "../controls"

// Follows the pointer over the image with the cursor's pixel and the value there. Outside
// the image there is no value, and the meter shows nothing.
Popup {
    id: meter

    property var document: null
    readonly property bool hasReading: !!document && document.cursorPos.x >= 0 && document.cursorPos.y >= 0
        && !isNaN(document.cursorValue)
    property alias text: reading.text

    function valueText(value, unit) {
        if (unit === DocumentModel.RADIANCE_FACTORY || unit === DocumentModel.RADIANCE_USER)
            return value.toExponential(4)
        if (unit === DocumentModel.TEMPERATURE_FACTORY || unit === DocumentModel.TEMPERATURE_USER)
            return value.toFixed(2)
        return value.toFixed()
    }

    // Keeps the meter beside the pointer, flipped to the other side near the right and bottom edges.
    function place(view) {
        const p = view.hoverPos
        if (p.x > view.width - (16 + width))
            x = p.x + view.x - (2 + width)
        else
            x = p.x + view.x + 16
        if (p.y > view.height - 48)
            y = p.y + view.y - (2 + height)
        else
            y = p.y + view.y + 16
    }

    visible: false
    padding: 8
    closePolicy: Popup.NoAutoClose
    // Shown and hidden by the view's pointer; with nothing to read it is drawn as nothing.
    opacity: hasReading ? 1 : 0
    background: Rectangle {
        color: "#3B3B43"
    }

    Text {
        id: reading
        objectName: "spotMeterText"
        text: meter.hasReading ? "(" + meter.document.cursorPos.x + ", " + meter.document.cursorPos.y + ") "
            + meter.valueText(meter.document.cursorValue, meter.document.unit) : ""
    }
}
