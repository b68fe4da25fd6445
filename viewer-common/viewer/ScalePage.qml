import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkir 1.0
import "../controls"

// The colour bar, a fixed span to compare frames and files, and the isotherm, all in the
// document's unit.
ColumnLayout {
    id: page

    property var document: null
    property bool showColorBar: true
    readonly property bool radiance: !!document
        && (document.unit === DocumentModel.RADIANCE_FACTORY || document.unit === DocumentModel.RADIANCE_USER)
    readonly property int decimals: document && (document.unit === DocumentModel.TEMPERATURE_FACTORY
        || document.unit === DocumentModel.TEMPERATURE_USER) ? 2 : 0

    spacing: 4

    CheckBox {
        objectName: "colorBarCheck"
        text: "Colour bar"
        checked: page.showColorBar
        onToggled: page.showColorBar = checked
    }

    CheckBox {
        objectName: "spanLockCheck"
        text: "Fixed span"
        enabled: !!page.document
        checked: !!page.document && page.document.spanLocked
        onToggled: page.document.spanLocked = checked
    }

    GridLayout {
        columns: 2
        columnSpacing: 8
        rowSpacing: 2

        Text {
            text: "Minimum"
        }
        NumberField {
            objectName: "spanMinimumField"
            enabled: !!page.document
            value: page.document ? page.document.spanMinimum : NaN
            decimals: page.decimals
            exponential: page.radiance
            onEdited: (v) => page.document.setSpan(v, page.document.spanMaximum)
        }
        Text {
            text: "Maximum"
        }
        NumberField {
            objectName: "spanMaximumField"
            enabled: !!page.document
            value: page.document ? page.document.spanMaximum : NaN
            decimals: page.decimals
            exponential: page.radiance
            onEdited: (v) => page.document.setSpan(page.document.spanMinimum, v)
        }
    }

    CheckBox {
        objectName: "isothermCheck"
        text: "Isotherm"
        enabled: !!page.document
        checked: !!page.document && page.document.isothermEnabled
        onToggled: page.document.isothermEnabled = checked
    }

    GridLayout {
        columns: 3
        columnSpacing: 8
        rowSpacing: 2
        enabled: !!page.document && page.document.isothermEnabled

        Text {
            text: "From"
        }
        NumberField {
            objectName: "isothermMinimumField"
            value: page.document ? page.document.isothermMinimum : NaN
            decimals: page.decimals
            exponential: page.radiance
            onEdited: (v) => page.document.isothermMinimum = v
        }
        Rectangle {
            Layout.rowSpan: 2
            width: 16
            height: 16
            color: page.document ? page.document.isothermColor : "transparent"
            border.color: "#FAFAFA"
        }
        Text {
            text: "To"
        }
        NumberField {
            objectName: "isothermMaximumField"
            value: page.document ? page.document.isothermMaximum : NaN
            decimals: page.decimals
            exponential: page.radiance
            onEdited: (v) => page.document.isothermMaximum = v
        }
    }

    Item {
        Layout.fillHeight: true
    }
}
