import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.3
import QtCharts
import "../controls"

// The selected region's figures over time (a file's frames between the bounds, or the
// last seconds of a camera), and the current frame's histogram with its clip points.
ColumnLayout {
    id: page

    property var document: null
    readonly property var regions: document ? document.regions : null
    readonly property var series: document ? document.regionSeries : null
    readonly property int row: regions ? Math.max(regions.selected, regions.count > 0 ? 0 : -1) : -1
    readonly property bool isFile: !!document && !document.realtime

    function refreshSeries() {
        const figures = [[minimumLine, "minimum"], [meanLine, "mean"], [maximumLine, "maximum"]]
        for (const [line, figure] of figures) {
            line.clear()
            const points = series && row >= 0 ? series.points(row, figure, 2000) : []
            for (const p of points)
                line.append(p.t, p.v)
        }
        if (series && series.timeMaximum > series.timeMinimum) {
            timeAxis.min = series.timeMinimum
            timeAxis.max = series.timeMaximum
        }
        if (series && series.valueMaximum >= series.valueMinimum && isFinite(series.valueMinimum)) {
            const margin = Math.max((series.valueMaximum - series.valueMinimum) * 0.05, 1e-9)
            valueAxis.min = series.valueMinimum - margin
            valueAxis.max = series.valueMaximum + margin
        }
    }

    function refreshHistogram() {
        histogramLine.clear()
        const bins = document ? document.histogram : []
        for (const bin of bins)
            histogramLine.append(bin.value, bin.pixels)
        if (bins.length > 1) {
            binAxis.min = bins[0].value
            binAxis.max = bins[bins.length - 1].value
        }
        pixelAxis.max = Math.max(1, document ? document.histogramMaximumPixels : 1)
        const low = document ? document.displayMinimum : NaN
        const high = document ? document.displayMaximum : NaN
        clipLines.clear()
        if (isFinite(low) && isFinite(high)) {
            clipLines.append(low, 0)
            clipLines.append(low, pixelAxis.max)
            clipLines.append(high, pixelAxis.max)
            clipLines.append(high, 0)
        }
    }

    spacing: 4
    onRowChanged: refreshSeries()
    Component.onCompleted: {
        refreshSeries()
        refreshHistogram()
    }

    Connections {
        target: page.series
        function onChanged() {
            page.refreshSeries()
        }
    }

    Connections {
        target: page.document
        function onDisplayScaleChanged() {
            page.refreshHistogram()
        }
    }

    RowLayout {
        Text {
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: page.row >= 0 ? page.regions.statistics(page.row).name + " over time"
                : "Draw a region to follow it over time"
        }
        Button {
            objectName: "seriesStartButton"
            visible: page.isFile
            enabled: !!page.series && !!page.regions && page.regions.count > 0
            text: page.series && page.series.running ? "Stop" : "Work out"
            onClicked: page.series.running ? page.series.cancel() : page.series.start()
        }
    }

    ChartView {
        objectName: "seriesChart"
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.minimumHeight: 150
        antialiasing: true
        backgroundColor: "#2F2F37"
        legend.labelColor: "#FAFAFA"
        legend.font.pixelSize: 10
        margins { left: 2; right: 2; top: 2; bottom: 2 }

        ValueAxis {
            id: timeAxis
            titleText: page.series && page.series.timeInFrames ? "frame" : "s"
            labelsColor: "#FAFAFA"
            labelsFont.pixelSize: 10
        }
        ValueAxis {
            id: valueAxis
            labelsColor: "#FAFAFA"
            labelsFont.pixelSize: 10
        }
        LineSeries {
            id: maximumLine
            name: "Max"
            axisX: timeAxis
            axisY: valueAxis
            color: "#E0503C"
        }
        LineSeries {
            id: meanLine
            name: "Mean"
            axisX: timeAxis
            axisY: valueAxis
            color: "#F0F0F0"
        }
        LineSeries {
            id: minimumLine
            name: "Min"
            axisX: timeAxis
            axisY: valueAxis
            color: "#4C8CE0"
        }
    }

    ChartView {
        objectName: "histogramChart"
        Layout.fillWidth: true
        Layout.preferredHeight: 150
        antialiasing: true
        backgroundColor: "#2F2F37"
        legend.visible: false
        margins { left: 2; right: 2; top: 2; bottom: 2 }

        ValueAxis {
            id: binAxis
            labelsColor: "#FAFAFA"
            labelsFont.pixelSize: 10
        }
        ValueAxis {
            id: pixelAxis
            min: 0
            labelsVisible: false
        }
        LineSeries {
            id: histogramLine
            axisX: binAxis
            axisY: pixelAxis
            color: "#5AABFF"
        }
        LineSeries {
            id: clipLines
            axisX: binAxis
            axisY: pixelAxis
            color: "#E0C03C"
            style: Qt.DashLine
        }
    }
}
