import QtQuick 2.7
import QtQuick.Controls 2.2

// A combo box of the tool bar whose entries show whole, in the box and in its list.
ComboBox {
    id: box

    // The widest entry as the list draws it (the current entry is bold), in pixels.
    readonly property real widestEntry: {
        let widest = 0
        const entries = model
        for (let i = 0; entries && i < entries.length; ++i)
            widest = Math.max(widest, listFont.advanceWidth(entries[i]))
        return Math.ceil(widest)
    }

    // The longest unit, "Temperature (factory)", needs all but 20 of the unit box's 164
    // pixels, so the text and the arrow keep close to the edges.
    leftPadding: 4
    rightPadding: 6 + indicator.width
    indicator.x: width - indicator.width - 4

    // The style's rows pad their text by 10 on each side, inside a list with a border of 1.
    popup.width: Math.max(width, widestEntry + 2 * 10 + 2)

    FontMetrics {
        id: listFont
        font.family: box.font.family
        font.pixelSize: box.font.pixelSize
        font.bold: true
    }
}
