#pragma once

#include "iircoeffs.h"

#include <QJsonObject>
#include <QString>

// Pieces of the settings file shared by the filter nodes.

// "A1", "A2", "B0", "B1", "B2" in the section's field order.
void iirCoeffsToJson(QJsonObject& object, const IIRCoeffs& coefficients);

// A number within [min - 0.001, max + 0.001], stored unclamped; false when missing,
// not a number or out of bounds (value then untouched).
bool readJsonNumber(const QJsonObject& object, QString key, double min, double max, double& value);

// Type words of the file. Unknown codes are written "NONE"; unknown words (compared
// case-sensitively) read as code 0.
QString xoverTypeWord(XoverType type);
XoverType xoverTypeFromWord(const QString& word);
QString peqTypeWord(PEQType type);
PEQType peqTypeFromWord(const QString& word);
