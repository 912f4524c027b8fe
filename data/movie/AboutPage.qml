import QtQuick

// The About page: the program's mark, its version text, help and (when the
// program has one) web site buttons, and how it works in three steps.
Item {
    id: page

    property string aboutText
    // The program has a web site to visit.
    property bool webSiteShown

    signal helpRequested()
    signal webSiteRequested()

    Rectangle {
        id: heroCard
        x: 29
        y: 68
        width: page.width - 60
        height: Math.max(212, heroColumn.height + 48)
        radius: 12
        color: Theme.surface
        border.width: 1
        border.color: Theme.border

        ProgramMark {
            x: 24
            y: 24
            size: 72
        }

        Column {
            id: heroColumn
            x: 120
            y: 24
            width: parent.width - x - 24
            spacing: 10

            Text {
                text: "Vidtrawl"
                color: Theme.text
                font.pixelSize: 26
                font.weight: Font.Bold
            }
            Text {
                objectName: "aboutText"
                width: parent.width
                text: page.aboutText.replace(/\r\n|\r/g, "\n")
                wrapMode: Text.WordWrap
                color: Theme.textMuted
                font.pixelSize: 13
                lineHeight: 1.25
            }
            Item {
                width: 1
                height: 4
            }
            Row {
                spacing: 10

                PushButton {
                    objectName: "helpButton"
                    text: "Help"
                    spacing: 7
                    onActivated: page.helpRequested()
                    // A question mark in a ring.
                    Rectangle {
                        anchors.fill: parent
                        radius: 8
                        color: "transparent"
                        border.width: 1.5
                        border.color: Theme.text
                        antialiasing: true
                        Text {
                            anchors.centerIn: parent
                            anchors.verticalCenterOffset: 0.5
                            text: "?"
                            color: Theme.text
                            font.pixelSize: 11
                            font.bold: true
                        }
                    }
                }
                PushButton {
                    objectName: "webSiteButton"
                    visible: page.webSiteShown
                    variant: "tonal"
                    text: "Visit the web site"
                    spacing: 7
                    onActivated: page.webSiteRequested()
                    Globe {
                        ink: Theme.accentText
                    }
                }
            }
        }
    }

    Text {
        x: 29
        y: heroCard.y + heroCard.height + 22
        text: "How it works"
        color: Theme.text
        font.pixelSize: 15
        font.weight: Font.DemiBold
    }

    Rectangle {
        id: stepsCard
        x: 29
        y: heroCard.y + heroCard.height + 50
        width: page.width - 60
        height: 128
        radius: 10
        color: Theme.surface
        border.width: 1
        border.color: Theme.border

        Row {
            x: 14
            y: 14
            Step {
                number: "1"
                title: "Copy an address"
                body: "In your browser, copy the address of a page that plays a video."
            }
            Step {
                number: "2"
                title: "Add it to the list"
                body: "Paste it on the Download page and press Add to list, or let clipboard monitoring add it for you."
            }
            Step {
                number: "3"
                title: "Press Start"
                body: "Vidtrawl finds the video file behind each page and saves it in your download folder."
            }
        }
    }

    Text {
        x: 29
        y: stepsCard.y + stepsCard.height + 20
        width: page.width - 60
        text: "Tip: press Enter in the address field to add a video without reaching for the mouse."
        elide: Text.ElideRight
        color: Theme.textMuted
        font.pixelSize: 12
    }
}
