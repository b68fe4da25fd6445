import QtQuick

// A small drawn chevron; `direction` is the way it points.
Canvas {
    id: arrow

    enum Direction { Down, Up, Left, Right }
    property int direction: ArrowIndicator.Down
    property color color: Theme.text

    implicitWidth: 10
    implicitHeight: 10
    onColorChanged: requestPaint()
    onDirectionChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        ctx.translate(width / 2, height / 2)
        const turns = [0, 2, 1, 3][direction]
        ctx.rotate(turns * Math.PI / 2)
        ctx.strokeStyle = arrow.color
        ctx.lineWidth = 1.6
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        ctx.beginPath()
        ctx.moveTo(-width * 0.35, -height * 0.15)
        ctx.lineTo(0, height * 0.2)
        ctx.lineTo(width * 0.35, -height * 0.15)
        ctx.stroke()
    }
}
