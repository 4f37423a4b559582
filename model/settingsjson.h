#pragma once

#include "iircoeffs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Pieces of the settings file shared by the nodes.

class Node;

// What applying a settings file did: the parameters it set, in tree order, and the members
// it refused, each named by its path in the file ("Analog Output 2/PEQ/EQ1/Gain").
// A refused member leaves its node as it was, so nothing of it is sent to the device.
struct SettingsLoad
{
    QList<Node*> loaded;
    QStringList refused;

    void accept(Node* node) { loaded.append(node); }
    // The node's own member, or with `member` one inside the node's object.
    void refuse(const Node* node, const QString& member = QString());
    // Every member of the node's object that is not among `known`.
    void refuseOthers(const Node* node, const QJsonObject& object, const QStringList& known);
    // The node's own member as an object, members outside `known` refused. False when there is
    // nothing to read: no member, or one that is not an object (refused whole).
    bool memberObject(const QJsonObject& parent, const Node* node, const QStringList& known,
                      QJsonObject& object);
};

// A settings file's text as a document; false unless it is JSON holding an object.
bool parseSettingsFile(const QByteArray& text, QJsonDocument& document);

// The node's name and its ancestors' below the root, joined by '/'.
QString settingsPath(const Node* node);

// "A1", "A2", "B0", "B1", "B2" in the section's field order.
void iirCoeffsToJson(QJsonObject& object, const IIRCoeffs& coefficients);

// A number within [min - 0.001, max + 0.001], stored unclamped; false when missing,
// not a number or out of bounds (value then untouched).
bool readJsonNumber(const QJsonObject& object, QString key, double min, double max, double& value);
// Any finite number.
bool readJsonNumber(const QJsonObject& object, QString key, double& value);

bool isFinite(const IIRCoeffs& coefficients);
bool isFinite(const XoverCoeffs& coefficients);

// Type words of the file. Unknown codes are written "NONE"; a word outside the table
// (compared case-sensitively) is refused, leaving `type` untouched.
QString xoverTypeWord(XoverType type);
bool xoverTypeFromWord(const QJsonValue& word, XoverType& type);
QString peqTypeWord(PEQType type);
bool peqTypeFromWord(const QJsonValue& word, PEQType& type);
