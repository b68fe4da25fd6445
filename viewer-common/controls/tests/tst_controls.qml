import QtQuick 2.9
import QtQuick.Controls 2.2
import QtTest 1.2
import ".." as Shared

Item {
    id: root
    width: 400
    height: 200

    Component {
        id: topBarButton
        Shared.TopBarButton {
            width: 40
            height: 40
            text: "A"
        }
    }

    Component {
        id: playBarButton
        Shared.PlayBarButton {
            width: 40
            height: 40
            text: "B"
        }
    }

    Component {
        id: sharedText
        Shared.Text {
            width: 300
        }
    }

    TestCase {
        name: "Controls"
        when: windowShown

        function bar(button) {
            for (let i = 0; i < button.background.children.length; ++i) {
                if (button.background.children[i].height === 4)
                    return button.background.children[i]
            }
            return null
        }

        function test_defaults_data() {
            return [{ tag: "TopBarButton", component: topBarButton }, { tag: "PlayBarButton", component: playBarButton }]
        }

        function test_defaults(data) {
            const button = createTemporaryObject(data.component, root)
            compare(button.font.pixelSize, 14)
            verify(button.hoverEnabled)
            compare(button.opacity, 1)
            compare(button.contentItem.text, button.text)
            compare(button.contentItem.color, Qt.color("#FAFAFA"))
            compare(button.contentItem.elide, Text.ElideRight)
            compare(button.contentItem.horizontalAlignment, Text.AlignHCenter)
            compare(button.contentItem.verticalAlignment, Text.AlignVCenter)
            compare(button.background.color, Qt.color("#22222B"))
            // A glyph of the bars gets all but a thin edge of the button's width.
            compare(button.availableWidth, 36)
        }

        function test_backgroundFollowsPointer_data() {
            return [{ tag: "TopBarButton", component: topBarButton }, { tag: "PlayBarButton", component: playBarButton }]
        }

        function test_backgroundFollowsPointer(data) {
            const button = createTemporaryObject(data.component, root)
            mouseMove(button, 20, 20)
            tryCompare(button, "hovered", true)
            compare(button.background.color, Qt.color("#2F2F37"))
            mousePress(button, 20, 20)
            compare(button.background.color, Qt.color("#171720"))
            mouseRelease(button, 20, 20)
            compare(button.background.color, Qt.color("#2F2F37"))
            mouseMove(root, 300, 150)
            tryCompare(button, "hovered", false)
            compare(button.background.color, Qt.color("#22222B"))
        }

        function test_topBarHighlightedAndDisabled() {
            const button = createTemporaryObject(topBarButton, root, { highlighted: true, enabled: false })
            const highlightBar = bar(button)
            verify(highlightBar)
            verify(highlightBar.visible)
            compare(highlightBar.color, Qt.color("#1780EC"))
            compare(highlightBar.width, button.background.width)
            compare(highlightBar.y + highlightBar.height, button.background.height)
            compare(button.contentItem.color, Qt.color("#5AABFF"))
            compare(button.opacity, 0.5)
            button.highlighted = false
            verify(!highlightBar.visible)
            compare(button.contentItem.color, Qt.color("#FAFAFA"))
        }

        function test_playBarHighlightIsTextOnly() {
            const button = createTemporaryObject(playBarButton, root, { highlighted: true })
            compare(bar(button), null)
            compare(button.contentItem.color, Qt.color("#5AABFF"))
        }

        function test_textShowsMarkupLiterally() {
            const text = createTemporaryObject(sharedText, root, { text: "<b>bold</b> &amp;" })
            compare(text.textFormat, Text.PlainText)
            compare(text.color, Qt.color("#FAFAFA"))
            compare(text.elide, Text.ElideRight)
            compare(text.opacity, 1)
            text.enabled = false
            compare(text.opacity, 0.5)
            // Plain text keeps every character, so it is wider than the rendered markup.
            const rich = createTemporaryQmlObject("import QtQuick 2.9; Text { textFormat: Text.RichText; text: '<b>bold</b> &amp;' }", root)
            verify(text.contentWidth > rich.contentWidth)
        }
    }
}
