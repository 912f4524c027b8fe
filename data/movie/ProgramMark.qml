import QtQuick

// The program's mark: a play sign over a landing line, on a blue tile. Its
// shapes are laid out for 28 pixels and scaled to its size.
Item {
    id: mark

    property real size: 28
    readonly property real unit: size / 28

    width: size
    height: size

    Rectangle {
        anchors.fill: parent
        radius: 8 * mark.unit
        antialiasing: true
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#4f8df7" }
            GradientStop { position: 1.0; color: "#5b3fd6" }
        }
        // The visible right half of a stretched diamond is the play sign.
        Item {
            x: 9.8 * mark.unit
            y: 4.8 * mark.unit
            width: 10.7 * mark.unit
            height: 12.3 * mark.unit
            clip: true
            Rectangle {
                id: diamond
                readonly property real half: width / 2
                x: -half
                y: (parent.height - height) / 2
                width: 8.7 * mark.unit
                height: width
                color: "white"
                antialiasing: true
                transform: [
                    Rotation { origin.x: diamond.half; origin.y: diamond.half; angle: 45 },
                    Scale { origin.x: diamond.half; origin.y: diamond.half; xScale: 1.732 }
                ]
            }
        }
        Rectangle {
            x: 7 * mark.unit
            y: 20 * mark.unit
            width: 14 * mark.unit
            height: 2.4 * mark.unit
            radius: height / 2
            color: "white"
            opacity: 0.9
        }
    }
}
