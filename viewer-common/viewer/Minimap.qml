import QtQuick
import QtQuick.Window
import com.qelt.zelkir 1.0

// A tool window with the whole image stretched to it; while the view is zoomed it outlines
// the part shown, and a press or drag centres the view on the pressed point.
Window {
    id: minimap

    // The main view and its document (null while none).
    property var mainView: null
    property var document: null
    // Left open after the document goes, the camera player's minimap keeps its last frame.
    property bool keepsLastImage: false
    property alias minimapView: minimapView
    property alias minimapIndicator: minimapIndicator
    readonly property bool zoomed: !!mainView && mainView.zoom !== 0.0
    readonly property bool measurable: !!mainView && !!document
    // The zoomed image in view pixels.
    readonly property real zoomedWidth: measurable ? document.imageSize.width * mainView.actualZoom : 0
    readonly property real zoomedHeight: measurable ? document.imageSize.height * mainView.actualZoom : 0

    function panTo(mx, my) {
        if (!measurable || !zoomed)
            return
        mainView.pan.x = ((mx - minimapIndicator.width / 2) / minimapView.width) * zoomedWidth
        mainView.pan.y = ((my - minimapIndicator.height / 2) / minimapView.height) * zoomedHeight
    }

    visible: false
    flags: Qt.Tool
    title: "Minimap"
    minimumWidth: 160
    minimumHeight: 128
    // The first size is ours: the default movie's aspect at the minimum height and a half.
    width: 240
    height: 192

    ImageView {
        id: minimapView
        objectName: "minimapView"
        anchors.fill: parent
        preserveAspectRatio: false
    }

    Binding {
        target: minimapView
        property: "image"
        value: minimap.document ? minimap.document.image : null
        when: minimap.document !== null
        restoreMode: minimap.keepsLastImage ? Binding.RestoreNone : Binding.RestoreBindingOrValue
    }

    Rectangle {
        id: minimapIndicator
        objectName: "minimapIndicator"
        visible: minimap.zoomed
        color: "transparent"
        border.color: "#36B051"
        border.width: 1
        x: minimap.measurable ? minimap.mainView.pan.x / minimap.zoomedWidth * minimapView.width : 0
        y: minimap.measurable ? minimap.mainView.pan.y / minimap.zoomedHeight * minimapView.height : 0
        width: minimap.measurable ? minimap.mainView.width / minimap.zoomedWidth * minimapView.width : 0
        height: minimap.measurable ? minimap.mainView.height / minimap.zoomedHeight * minimapView.height : 0
    }

    MouseArea {
        objectName: "minimapMouseArea"
        anchors.fill: parent
        onPressed: (mouse) => minimap.panTo(mouse.x, mouse.y)
        onPositionChanged: (mouse) => minimap.panTo(mouse.x, mouse.y)
    }
}
