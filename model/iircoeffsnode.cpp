#include "iircoeffsnode.h"

#include <QTreeWidgetItem>

IIRCoeffsNode::IIRCoeffsNode(NodeArgs& args, QString name)
    : Node(args, name, NULL_PATH_SEGMENT, QString())
{
    const char* labels[5] = {"A1", "A2", "B0", "B1", "B2"};
    for (int i = 0; i < 5; ++i) {
        rows[i] = new QTreeWidgetItem(treeItem);
        rows[i]->setText(0, QString::fromLatin1(labels[i]));
    }
}

void IIRCoeffsNode::anchor() {}

void IIRCoeffsNode::updateFields(const IIRCoeffs& coeffs)
{
    const double values[5] = {coeffs.a1, coeffs.a2, coeffs.b0, coeffs.b1, coeffs.b2};
    for (int i = 0; i < 5; ++i)
        rows[i]->setText(1, QString::number(values[i], 'g', 6));
}
