import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkir 1.0

// All presets and the superframe as one row of buttons; a click leaves the popup open.
ToolPopup {
    id: popup

    property var document: null
    // The active preset as the preset button shows it, empty while there is no document.
    readonly property string activeText: document ? presetText(document.activePreset) : ""

    function presetText(preset) {
        return preset === DocumentModel.PRESET_ALL ? "A"
            : preset === DocumentModel.PRESET_SUPERFRAME ? "SF" : "" + preset
    }

    function presetEnabled(preset) {
        const doc = popup.document
        if (!doc)
            return false
        if (preset === DocumentModel.PRESET_ALL)
            return doc.isSequencing
        if (preset === DocumentModel.PRESET_SUPERFRAME)
            return doc.isSuperframing
        return doc.isSequencing && (doc.availablePresets & (1 << preset)) !== 0
    }

    padding: 0

    RowLayout {
        spacing: 0

        Repeater {
            model: [DocumentModel.PRESET_ALL, DocumentModel.PRESET_0, DocumentModel.PRESET_1,
                DocumentModel.PRESET_2, DocumentModel.PRESET_3, DocumentModel.PRESET_4,
                DocumentModel.PRESET_5, DocumentModel.PRESET_6, DocumentModel.PRESET_7,
                DocumentModel.PRESET_SUPERFRAME]

            Button {
                required property int modelData

                objectName: "presetButton:" + text
                implicitWidth: 40
                implicitHeight: 40
                // "SF" needs more of the 40 pixels than the style's padding leaves.
                horizontalPadding: 4
                text: popup.presetText(modelData)
                enabled: popup.presetEnabled(modelData)
                highlighted: popup.document ? popup.document.activePreset === modelData : false
                onClicked: {
                    if (popup.document)
                        popup.document.activePreset = modelData
                }
            }
        }
    }
}
