import QtQml

QtObject {
    property int value: "not a number"
    undefinedProperty: 1
}
