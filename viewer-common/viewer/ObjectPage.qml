import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import "../controls"

// The object parameters behind the user radiance and temperature units: emissivity, the
// reflected apparent temperature, and the atmosphere, typed as a transmission or worked out
// from distance and humidity.
ColumnLayout {
    id: page

    property var document: null
    readonly property var parameters: document ? document.objectParameters : null
    readonly property string scaleSymbol: document ? document.tempTypeStrings[document.tempTypeIndex] : ""

    spacing: 4
    enabled: !!parameters && parameters.available

    Text {
        Layout.fillWidth: true
        visible: !page.parameters || !page.parameters.available
        wrapMode: Text.WordWrap
        text: "This source has no temperature calibration."
    }

    GridLayout {
        columns: 2
        columnSpacing: 8
        rowSpacing: 2

        Text {
            text: "Emissivity"
        }
        NumberField {
            objectName: "emissivityField"
            value: page.parameters ? page.parameters.emissivity : NaN
            onEdited: (v) => page.parameters.emissivity = v
        }
        Text {
            text: "Reflected temperature (" + page.scaleSymbol + ")"
        }
        NumberField {
            objectName: "reflectedTemperatureField"
            value: page.parameters ? page.parameters.reflectedTemperature : NaN
            decimals: 1
            onEdited: (v) => page.parameters.reflectedTemperature = v
        }
        Text {
            text: "Atmosphere temperature (" + page.scaleSymbol + ")"
        }
        NumberField {
            objectName: "atmosphereTemperatureField"
            value: page.parameters ? page.parameters.atmosphereTemperature : NaN
            decimals: 1
            onEdited: (v) => page.parameters.atmosphereTemperature = v
        }
        Text {
            text: "Transmission"
        }
        NumberField {
            objectName: "transmissionField"
            enabled: !!page.parameters && !page.parameters.useAtmosphereModel
            value: page.parameters ? page.parameters.transmission : NaN
            decimals: 3
            onEdited: (v) => page.parameters.transmission = v
        }
    }

    CheckBox {
        objectName: "atmosphereModelCheck"
        text: "Transmission from distance and humidity"
        checked: !!page.parameters && page.parameters.useAtmosphereModel
        onToggled: page.parameters.useAtmosphereModel = checked
    }

    GridLayout {
        columns: 2
        columnSpacing: 8
        rowSpacing: 2
        enabled: !!page.parameters && page.parameters.useAtmosphereModel

        Text {
            text: "Distance (m)"
        }
        NumberField {
            objectName: "distanceField"
            value: page.parameters ? page.parameters.distance : NaN
            decimals: 1
            onEdited: (v) => page.parameters.distance = v
        }
        Text {
            text: "Relative humidity (%)"
        }
        NumberField {
            objectName: "humidityField"
            value: page.parameters ? page.parameters.relativeHumidity : NaN
            decimals: 0
            onEdited: (v) => page.parameters.relativeHumidity = v
        }
    }

    Button {
        objectName: "objectResetButton"
        text: "Reset to the source's values"
        onClicked: page.parameters.reset()
    }

    Item {
        Layout.fillHeight: true
    }
}
