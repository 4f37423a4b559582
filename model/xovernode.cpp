#include "xovernode.h"

#include "treewidget.h"
#include "xoverfilternode.h"

#include <QPushButton>

XoverNode::XoverNode(const NodeArgs& args, int channelNumber)
    : Node(args, QStringLiteral("Xover"), make_path_segment(13), QString())
{
    const NodeArgs own = childArgs(args);
    highPassNode = new XoverFilterNode(own, QStringLiteral("HP"));
    children.append(highPassNode);
    lowPassNode = new XoverFilterNode(own, QStringLiteral("LP"));
    children.append(lowPassNode);

    button = new QPushButton(QStringLiteral("..."));
    button->setProperty("channelIndex", channelNumber - 1);
    args.treeWidget->setItemWidget(treeItem, 1, button);
    QObject::connect(button, &QPushButton::clicked, args.treeWidget,
                     &TreeWidget::onXoverButtonClicked);
}

void XoverNode::anchor() {}

void XoverNode::getXoverParams(XoverParams& highPass, XoverParams& lowPass)
{
    highPassNode->getXoverParams(highPass);
    lowPassNode->getXoverParams(lowPass);
}

void XoverNode::setXoverParamsAndCoeffs(bool highPass, const XoverParams& params,
                                        const XoverCoeffs& coeffs)
{
    filter(highPass)->setXoverParamsAndCoeffs(params, coeffs);
}

int XoverNode::getParamIndex(bool highPass)
{
    return filter(highPass)->paramIndex;
}

void XoverNode::clickButton()
{
    button->click();
}
