import QtQuick 2.7
import "../controls"

// Draws new regions over the view with the chosen tool, and moves, resizes and deletes the
// selected one with the pointer or the keyboard: arrows move it by a pixel (by ten with
// Shift), Ctrl with the arrows resizes it, Delete removes it, Escape lets go. Without a tool
// the view keeps its pointer for panning and the spot meter; a click on a region selects it.
Item {
    id: editor

    property var view: null
    // The document's regions, null while there is none.
    property var regions: null
    // "spot", "box", "ellipse" or "line" while drawing; empty otherwise.
    property string tool: ""
    // What the editor selects on a click; the camera player's bad-pixel picker takes clicks too.
    property bool selectsOnClick: true

    // A region was drawn with the tool; the tool is put away.
    signal drawn(int row)

    // Read in every mapping so that labels and handles follow zoom, pan and resizing.
    readonly property var viewState: view ? [view.actualZoom, view.pan, view.width, view.height, view.image] : []

    function toItem(x, y) {
        editor.viewState
        return view.mapFromImage(Qt.point(x, y))
    }

    function toImage(point) {
        return view.mapToImage(point)
    }

    function rowAt(pixel) {
        const p = Qt.point(pixel.x + 0.5, pixel.y + 0.5)
        const slack = 4 / Math.max(view.actualZoom, 0.01)
        for (let i = labels.count - 1; i >= 0; --i) {
            const r = labels.itemAt(i)
            if (r && r.contains(p, slack))
                return i
        }
        return -1
    }

    function moveSelected(dx, dy, resize) {
        const row = regions ? regions.selected : -1
        const r = labels.itemAt(row)
        if (!r)
            return
        if (resize)
            regions.setGeometry(row, r.x1, r.y1, r.x2 + dx, r.y2 + dy)
        else
            regions.move(row, dx, dy)
    }

    focus: !!regions && regions.selected >= 0

    Keys.onPressed: (event) => {
        if (!regions)
            return
        const step = (event.modifiers & Qt.ShiftModifier) ? 10 : 1
        const resize = (event.modifiers & Qt.ControlModifier) !== 0
        switch (event.key) {
        case Qt.Key_Delete:
        case Qt.Key_Backspace:
            if (regions.selected >= 0)
                regions.remove(regions.selected)
            break
        case Qt.Key_Left:
            moveSelected(-step, 0, resize)
            break
        case Qt.Key_Right:
            moveSelected(step, 0, resize)
            break
        case Qt.Key_Up:
            moveSelected(0, -step, resize)
            break
        case Qt.Key_Down:
            moveSelected(0, step, resize)
            break
        case Qt.Key_Escape:
            tool = ""
            regions.selected = -1
            break
        default:
            return
        }
        event.accepted = true
    }

    Connections {
        target: editor.view
        enabled: editor.selectsOnClick && editor.tool === "" && !!editor.regions
        function onPixelClicked(pixel) {
            editor.regions.selected = editor.rowAt(pixel)
            if (editor.regions.selected >= 0)
                editor.forceActiveFocus()
        }
    }

    // Drawing: a drag spans the region, a click gives a spot, or a small region about it.
    MouseArea {
        id: drawArea
        objectName: "regionDrawArea"

        property int row: -1
        property point start

        anchors.fill: parent
        enabled: editor.tool !== "" && !!editor.regions
        visible: enabled
        cursorShape: Qt.CrossCursor
        preventStealing: true

        onPressed: (mouse) => {
            start = editor.toImage(Qt.point(mouse.x, mouse.y))
            row = editor.regions.add(editor.tool, start.x, start.y, start.x, start.y)
        }
        onPositionChanged: (mouse) => {
            if (row < 0 || editor.tool === "spot")
                return
            const p = editor.toImage(Qt.point(mouse.x, mouse.y))
            editor.regions.setGeometry(row, start.x, start.y, p.x, p.y)
        }
        onReleased: (mouse) => {
            if (row < 0)
                return
            const p = editor.toImage(Qt.point(mouse.x, mouse.y))
            const tiny = Math.abs(p.x - start.x) < 1 && Math.abs(p.y - start.y) < 1
            if (tiny && editor.tool !== "spot")
                editor.regions.setGeometry(row, start.x - 8, start.y - 8, start.x + 8, start.y + 8)
            const drawnRow = row
            row = -1
            editor.tool = ""
            editor.forceActiveFocus()
            editor.drawn(drawnRow)
        }
    }

    Repeater {
        id: labels
        model: editor.regions

        // A region's label, and the handles of the selected one.
        Item {
            id: region

            required property int index
            required property string kind
            required property string name
            required property color color
            required property real x1
            required property real y1
            required property real x2
            required property real y2
            readonly property bool selected: !!editor.regions && editor.regions.selected === index
            readonly property point p1: editor.toItem(x1, y1)
            readonly property point p2: editor.toItem(x2, y2)

            // Whether image point p lies on the region, with `slack` image pixels to spare.
            function contains(p, slack) {
                const left = Math.min(x1, x2), right = Math.max(x1, x2)
                const top = Math.min(y1, y2), bottom = Math.max(y1, y2)
                if (kind === "spot")
                    return Math.abs(p.x - x1) <= slack + 0.5 && Math.abs(p.y - y1) <= slack + 0.5
                if (kind === "line") {
                    const dx = x2 - x1, dy = y2 - y1
                    const lengthSquared = dx * dx + dy * dy
                    const t = lengthSquared > 0 ? Math.max(0, Math.min(1, ((p.x - x1) * dx + (p.y - y1) * dy) / lengthSquared)) : 0
                    return Math.hypot(p.x - (x1 + t * dx), p.y - (y1 + t * dy)) <= slack
                }
                if (kind === "ellipse") {
                    const rx = (right - left) / 2 + slack, ry = (bottom - top) / 2 + slack
                    const ex = (p.x - (left + right) / 2) / rx, ey = (p.y - (top + bottom) / 2) / ry
                    return ex * ex + ey * ey <= 1
                }
                return p.x >= left - slack && p.x <= right + slack && p.y >= top - slack && p.y <= bottom + slack
            }

            Text {
                objectName: "regionLabel:" + region.name
                x: Math.min(region.p1.x, region.p2.x) + (region.kind === "spot" ? 8 : 0)
                y: Math.min(region.p1.y, region.p2.y) - height - (region.kind === "spot" ? 0 : 1)
                font.pixelSize: 11
                font.bold: region.selected
                color: region.color
                style: Text.Outline
                styleColor: "#000000"
                text: region.name
            }

            // Dragging the selected region's body moves it.
            MouseArea {
                objectName: "regionBody:" + region.name

                property point last

                visible: region.selected && editor.tool === ""
                x: Math.min(region.p1.x, region.p2.x) - (region.kind === "spot" ? 6 : 0)
                y: Math.min(region.p1.y, region.p2.y) - (region.kind === "spot" ? 6 : 0)
                width: Math.max(Math.abs(region.p2.x - region.p1.x), region.kind === "spot" ? 12 : 4)
                height: Math.max(Math.abs(region.p2.y - region.p1.y), region.kind === "spot" ? 12 : 4)
                cursorShape: Qt.SizeAllCursor
                preventStealing: true
                onPressed: (mouse) => last = editor.toImage(mapToItem(editor, mouse.x, mouse.y))
                onPositionChanged: (mouse) => {
                    const p = editor.toImage(mapToItem(editor, mouse.x, mouse.y))
                    editor.regions.move(region.index, p.x - last.x, p.y - last.y)
                    last = p
                }
            }

            // Corner handles: a box or ellipse has four, a line its two ends.
            Repeater {
                model: region.selected && region.kind !== "spot" ? (region.kind === "line" ? [[1, 1], [2, 2]]
                    : [[1, 1], [2, 1], [1, 2], [2, 2]]) : []

                Rectangle {
                    id: handle

                    required property var modelData
                    readonly property int xEnd: modelData[0]
                    readonly property int yEnd: modelData[1]

                    objectName: "regionHandle:" + region.name + ":" + xEnd + yEnd
                    x: (xEnd === 1 ? region.p1.x : region.p2.x) - width / 2
                    y: (yEnd === 1 ? region.p1.y : region.p2.y) - height / 2
                    width: 9
                    height: 9
                    color: "#FAFAFA"
                    border.color: region.color

                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -3
                        cursorShape: Qt.CrossCursor
                        preventStealing: true
                        onPositionChanged: (mouse) => {
                            const p = editor.toImage(mapToItem(editor, mouse.x, mouse.y))
                            editor.regions.setGeometry(region.index,
                                handle.xEnd === 1 ? p.x : region.x1, handle.yEnd === 1 ? p.y : region.y1,
                                handle.xEnd === 2 ? p.x : region.x2, handle.yEnd === 2 ? p.y : region.y2)
                        }
                    }
                }
            }
        }
    }
}
