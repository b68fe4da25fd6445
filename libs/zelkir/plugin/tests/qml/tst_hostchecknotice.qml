import QtQuick
import QtQuick.Controls
import QtTest
import "qrc:/zelkcamui/controls"

TestCase {
    id: testCase
    name: "HostCheckNotice"
    width: 700
    height: 600
    visible: true
    when: windowShown

    // What the notice reads of a live player's hostCheck; run() starts a check the test ends.
    Component {
        id: checkComponent
        QtObject {
            property bool running: false
            property var findings: []
            property int problemCount: 0
            property bool checkedAfterLoss: false
            property int runs: 0

            function run() {
                ++runs
                checkedAfterLoss = false
                running = true
            }
        }
    }

    Component {
        id: noticeComponent
        HostCheckNotice {
            width: 600
        }
    }

    Component {
        id: fieldComponent
        TextField {}
    }

    readonly property var mtu: ({ topic: "MTU", subject: "eth1", status: "problem",
                                  detail: "eth1 carries packets of 1500 bytes; the camera sends 8192.",
                                  fix: "sudo ip link set dev eth1 mtu 9000" })
    readonly property var firewall: ({ topic: "Firewall", subject: "eth1", status: "problem",
                                       detail: "The firewall drops the camera's stream.",
                                       fix: "sudo nft insert rule inet filter input iifname eth1 udp accept" })
    readonly property var buffer: ({ topic: "Receive buffer", subject: "net.core.rmem_max", status: "ok",
                                     detail: "Large enough.", fix: "" })

    function init() {
        failOnWarning(/.?/)
    }

    // A check with the notice over it, ended as the model ends one: findings last.
    function noticeOver() {
        const check = createTemporaryObject(checkComponent, testCase)
        const notice = createTemporaryObject(noticeComponent, testCase, { hostCheck: check })
        verify(!notice.visible)
        return notice
    }

    function finish(check, findings, afterLoss) {
        check.checkedAfterLoss = afterLoss
        check.problemCount = findings.filter(finding => finding.status === "problem").length
        check.running = false
        check.findings = findings
    }

    function part(item, name) {
        const found = findChild(item, name)
        verify(found, name)
        return found
    }

    function problemRows(notice) {
        const list = part(notice, "problemList")
        const rows = []
        for (let i = 0; i < list.count; ++i) {
            tryVerify(function() { return list.itemAtIndex(i) !== null })
            rows.push(list.itemAtIndex(i))
        }
        // Laid out, so that clicks land on the rows.
        tryVerify(function() {
            return list.height > 0 && list.height === Math.min(list.contentHeight, notice.maximumListHeight)
        })
        return rows
    }

    function test_shown_data() {
        return [
            { tag: "problems after lost frames", afterLoss: true, findings: [buffer, mtu, firewall], shown: true },
            { tag: "nothing wrong after lost frames", afterLoss: true, findings: [buffer], shown: false },
            { tag: "problems of a check the user ran", afterLoss: false, findings: [mtu], shown: false },
        ]
    }

    function test_shown(data) {
        const notice = noticeOver()
        finish(notice.hostCheck, data.findings, data.afterLoss)
        compare(notice.visible, data.shown)
        if (!data.shown)
            return
        const rows = problemRows(notice)
        const problems = data.findings.filter(finding => finding.status === "problem")
        compare(rows.length, problems.length)
        for (let i = 0; i < rows.length; ++i) {
            verify(part(rows[i], "problemTitle").text.indexOf(problems[i].topic) === 0)
            verify(part(rows[i], "problemTitle").text.indexOf(problems[i].subject) > 0)
            compare(part(rows[i], "problemDetail").text, problems[i].detail)
            compare(part(rows[i], "fixField").text, problems[i].fix)
            verify(part(rows[i], "fixField").readOnly)
        }
    }

    function test_checkAgainAndClose() {
        const notice = noticeOver()
        const check = notice.hostCheck
        finish(check, [mtu, firewall], true)
        verify(notice.visible)
        const again = part(notice, "checkAgainButton")
        mouseClick(again)
        compare(check.runs, 1)
        verify(part(notice, "checkIndicator").running)
        verify(!again.enabled)
        // The user's own check keeps the notice open while problems remain.
        finish(check, [firewall], false)
        verify(notice.visible)
        verify(again.enabled)
        compare(problemRows(notice).length, 1)
        // All fixed: nothing left to show.
        mouseClick(again)
        finish(check, [buffer], false)
        verify(!notice.visible)
        // Closed, it waits for the next check after lost frames.
        finish(check, [mtu], true)
        verify(notice.visible)
        mouseClick(part(notice, "closeNoticeButton"))
        verify(!notice.visible)
        compare(check.runs, 2)
    }

    function test_copyPutsFixOnClipboard() {
        const notice = noticeOver()
        finish(notice.hostCheck, [mtu], true)
        const row = problemRows(notice)[0]
        mouseClick(part(row, "copyButton"))
        const field = createTemporaryObject(fieldComponent, testCase)
        field.paste()
        compare(field.text, mtu.fix)
        compare(part(row, "fixField").selectedText, "")
    }
}
