import QtQuick

// A number the user steps between its bounds: "−" and "+" on either side of
// it, or the arrow keys, Page Up and Page Down, Home and End while it has the
// focus. It shows what it is given and says which number the user chose.
Rectangle {
    id: stepper

    property int value: 1
    property int from: 1
    property int to: 16
    property string accessibleName

    signal chosen(int value)

    function step(by: int) {
        const next = Math.max(stepper.from, Math.min(stepper.to, stepper.value + by));
        if (next !== stepper.value)
            stepper.chosen(next);
    }

    width: 76
    height: 34
    radius: Theme.radius
    color: Theme.sunken
    border.width: 1
    border.color: Theme.border
    antialiasing: true
    activeFocusOnTab: true
    Accessible.role: Accessible.SpinBox
    Accessible.name: accessibleName
    Accessible.description: String(stepper.value)
    Keys.onPressed: (event) => {
        const steps = {
            [Qt.Key_Up]: 1, [Qt.Key_Right]: 1, [Qt.Key_Plus]: 1, [Qt.Key_PageUp]: 4,
            [Qt.Key_Down]: -1, [Qt.Key_Left]: -1, [Qt.Key_Minus]: -1, [Qt.Key_PageDown]: -4,
            [Qt.Key_Home]: -stepper.to, [Qt.Key_End]: stepper.to
        };
        if (!(event.key in steps))
            return;
        event.accepted = true;
        stepper.step(steps[event.key]);
    }

    Repeater {
        model: [{ by: -1, x: 0 }, { by: 1, x: stepper.width - 24 }]
        delegate: Rectangle {
            required property var modelData
            x: modelData.x
            width: 24
            height: stepper.height
            radius: Theme.radius
            color: Theme.fill("secondary", area)
            opacity: (modelData.by < 0 ? stepper.value > stepper.from : stepper.value < stepper.to) ? 1 : 0.4
            antialiasing: true
            Rectangle { anchors.centerIn: parent; width: 9; height: 2; radius: 1; color: Theme.text }
            Rectangle {
                visible: parent.modelData.by > 0
                anchors.centerIn: parent
                width: 2
                height: 9
                radius: 1
                color: Theme.text
            }
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: {
                    stepper.forceActiveFocus();
                    stepper.step(parent.modelData.by);
                }
            }
        }
    }
    Text {
        anchors.centerIn: parent
        text: stepper.value
        color: Theme.text
        font: Theme.strongFont
    }
    FocusRing {}
}
