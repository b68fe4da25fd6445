import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import com.qelt.zelkir 1.0

// The scale mode and its parameter; exactly one slider shows while there is a document.
ToolPopup {
    id: popup

    // The document's imageEnhancement, null while there is none.
    property var enhancement: null
    // What the elements show without one: the camera player lists no modes, selects no
    // sharpness and shows the plateau slider.
    property var noDocumentScaleModes: null
    property int noDocumentSharpnessIndex: 0
    property bool noDocumentShowsPlateau: false

    leftPadding: 8
    rightPadding: 8
    topPadding: 8
    bottomPadding: 4

    ColumnLayout {
        spacing: 4

        ComboBox {
            objectName: "scaleModeBox"
            Layout.fillWidth: true
            model: popup.enhancement ? popup.enhancement.availableScaleModeStrings : popup.noDocumentScaleModes
            currentIndex: popup.enhancement ? popup.enhancement.scaleModeIndex : -1
            onActivated: {
                if (popup.enhancement)
                    popup.enhancement.scaleModeIndex = currentIndex
            }
        }

        RowLayout {
            spacing: 4

            Slider {
                objectName: "linearSlider"
                Layout.fillWidth: true
                visible: !!popup.enhancement && popup.enhancement.scaleMode === ImageEnhancementModel.SCALE_LINEAR
                from: 0
                to: 100
                value: popup.enhancement ? popup.enhancement.linearIgnore : 0
                onMoved: {
                    if (popup.enhancement)
                        popup.enhancement.linearIgnore = value
                }
            }

            Slider {
                objectName: "plateauSlider"
                Layout.fillWidth: true
                visible: popup.enhancement ? popup.enhancement.scaleMode !== ImageEnhancementModel.SCALE_LINEAR
                    : popup.noDocumentShowsPlateau
                from: 2
                to: 200
                value: popup.enhancement ? popup.enhancement.plateauP : 2
                onMoved: {
                    if (popup.enhancement)
                        popup.enhancement.plateauP = value
                }
            }

            ComboBox {
                objectName: "sharpnessBox"
                implicitWidth: 64
                enabled: !!popup.enhancement && popup.enhancement.scaleMode === ImageEnhancementModel.SCALE_DDE
                model: ["1", "2", "3", "4", "5", "6", "7"]
                currentIndex: popup.enhancement ? popup.enhancement.ddeSharpness - 1 : popup.noDocumentSharpnessIndex
                onActivated: {
                    if (popup.enhancement)
                        popup.enhancement.ddeSharpness = currentIndex + 1
                }
            }
        }
    }
}
