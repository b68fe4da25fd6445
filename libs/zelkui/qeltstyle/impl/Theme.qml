pragma Singleton
import QtQuick

// The one place that holds the style's colours and metrics.
QtObject {
    readonly property color window: "#1C1C24"
    readonly property color base: "#22222B"
    readonly property color hovered: "#2F2F37"
    readonly property color pressed: "#171720"
    readonly property color accent: "#1780EC"
    readonly property color highlightedText: "#5AABFF"
    readonly property color text: "#FAFAFA"
    readonly property color secondaryText: "#B4B4BC"
    readonly property color info: "#48484F"
    readonly property color row: "#3B3B43"
    readonly property color field: "#2A2A32"
    readonly property color outline: "#48484F"
    readonly property color popup: hovered
    readonly property color shadow: "#000000"

    readonly property int fontPixelSize: 13
    readonly property int controlHeight: 28
    readonly property int indicatorSize: 16
    readonly property int padding: 6
    readonly property int spacing: 6
    readonly property int radius: 3
    readonly property real disabledOpacity: 0.5
}
