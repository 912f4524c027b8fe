import QtQuick

// One step of "How it works": a numbered badge, a title and a few words.
Column {
    id: step

    property string number
    property string title
    property string body

    width: 181
    spacing: 10
    Row {
        spacing: 9
        Rectangle {
            width: 24
            height: 24
            radius: 12
            color: Theme.accentSoft
            antialiasing: true
            Text {
                anchors.centerIn: parent
                text: step.number
                color: Theme.accentText
                font.pixelSize: 12
                font.bold: true
            }
        }
        Text {
            height: 24
            verticalAlignment: Text.AlignVCenter
            text: step.title
            color: Theme.text
            font: Theme.strongFont
        }
    }
    Text {
        width: 160
        text: step.body
        wrapMode: Text.WordWrap
        color: Theme.textMuted
        font.pixelSize: 12
        lineHeight: 1.2
    }
}
