#include "paramtreeview.h"

#include "checkboxnode.h"
#include "comboboxnode.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "customlineedit.h"
#include "doublespinboxnode.h"
#include "labelnode.h"
#include "levelnode.h"
#include "parambinding.h"
#include "paramtree.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "versionnode.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QTreeWidgetItem* addRow(QTreeWidgetItem* parent, const QString& name)
{
    auto* row = new QTreeWidgetItem(parent);
    row->setText(0, name);
    return row;
}

// Five rows A1..B2 under `parent`, filled by the returned function.
std::function<void(const IIRCoeffs&)> addCoeffRows(QTreeWidgetItem* parent)
{
    QVector<QTreeWidgetItem*> rows;
    for (const char* label : {"A1", "A2", "B0", "B1", "B2"})
        rows << addRow(parent, QString::fromLatin1(label));
    return [rows](const IIRCoeffs& coeffs) {
        const double values[5] = {coeffs.a1, coeffs.a2, coeffs.b0, coeffs.b1, coeffs.b2};
        for (int i = 0; i < 5; ++i)
            rows[i]->setText(1, QString::number(values[i], 'g', 6));
    };
}

QString hertz(double frequency)
{
    return QStringLiteral("%1 Hz").arg(QString::number(frequency, 'f', 0));
}

} // namespace

ParamTreeView::ParamTreeView(QWidget* parent) : QTreeWidget(parent) {}

void ParamTreeView::showTree(ParamTree* tree)
{
    clear();
    refreshers.clear();
    items.clear();
    for (Node* child : qAsConst(tree->children))
        addRows(child, nullptr);
    connect(tree->hub, &ParamHub::valueChanged, this, [this](int paramIndex, ChangeSource) {
        const auto refresh = refreshers.constFind(paramIndex);
        if (refresh != refreshers.constEnd())
            (*refresh)();
    });
}

void ParamTreeView::addRows(Node* node, QTreeWidgetItem* parentItem)
{
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setData(0, Qt::DisplayRole, node->name);
    items.insert(node, item);
    addEditor(node, item);
    for (Node* child : qAsConst(node->children))
        addRows(child, item);
}

void ParamTreeView::addEditor(Node* node, QTreeWidgetItem* item)
{
    using namespace ParamBinding;
    QWidget* editor = nullptr;
    if (auto* number = dynamic_cast<DoubleSpinBoxNode*>(node)) {
        auto* box = new CustomDoubleSpinBox;
        bind(number, box);
        editor = box;
    } else if (auto* flag = dynamic_cast<CheckBoxNode*>(node)) {
        auto* box = new CustomCheckBox;
        bind(flag, box);
        editor = box;
    } else if (auto* choice = dynamic_cast<ComboBoxNode*>(node)) {
        auto* box = new CustomComboBox;
        bind(choice, box);
        editor = box;
    } else if (auto* label = dynamic_cast<LabelNode*>(node)) {
        auto* edit = new CustomLineEdit;
        bind(label, edit);
        editor = edit;
    } else if (auto* level = dynamic_cast<LevelNode*>(node)) {
        auto* bar = new QProgressBar;
        bind(level, bar);
        editor = bar;
    } else if (auto* version = dynamic_cast<VersionNode*>(node)) {
        auto* text = new QLabel;
        bind(version, text);
        editor = text;
    } else if (auto* bank = dynamic_cast<PEQSNode*>(node)) {
        auto* button = new QPushButton(QStringLiteral("..."));
        connect(button, &QPushButton::clicked, this, [bank] { bank->requestEditor(); });
        editor = button;
    } else if (auto* crossover = dynamic_cast<XoverNode*>(node)) {
        auto* button = new QPushButton(QStringLiteral("..."));
        connect(button, &QPushButton::clicked, this, [crossover] { crossover->requestEditor(); });
        editor = button;
    } else {
        addFilterRows(node, item);
    }
    if (editor)
        setItemWidget(item, 1, editor);
}

void ParamTreeView::addFilterRows(Node* node, QTreeWidgetItem* item)
{
    std::function<void()> refresh;
    if (auto* filter = dynamic_cast<XoverFilterNode*>(node)) {
        QTreeWidgetItem* type = addRow(item, QStringLiteral("Type"));
        QTreeWidgetItem* freq = addRow(item, QStringLiteral("Freq"));
        std::function<void(const IIRCoeffs&)> blocks[4];
        for (int i = 0; i < 4; ++i)
            blocks[i] = addCoeffRows(addRow(item, QStringLiteral("Block%1").arg(i + 1)));
        refresh = [filter, type, freq, blocks] {
            const XoverParams params = filter->xoverParams();
            type->setText(1, xoverTypeText(params.type));
            freq->setText(1, hertz(params.frequency));
            for (int i = 0; i < 4; ++i)
                blocks[i](filter->coefficients().sections[i]);
        };
    } else if (auto* band = dynamic_cast<PEQNode*>(node)) {
        QTreeWidgetItem* type = addRow(item, QStringLiteral("Type"));
        QTreeWidgetItem* freq = addRow(item, QStringLiteral("Freq"));
        QTreeWidgetItem* q = addRow(item, QStringLiteral("Q"));
        QTreeWidgetItem* gain = addRow(item, QStringLiteral("Gain"));
        const auto coeffs = addCoeffRows(addRow(item, QStringLiteral("Coeffs")));
        refresh = [band, type, freq, q, gain, coeffs] {
            const PEQParams params = band->getPEQParams();
            type->setText(1, peqTypeText(params.type));
            freq->setText(1, hertz(params.frequency));
            q->setText(1, QString::number(params.q, 'f', 2));
            gain->setText(1, QStringLiteral("%1 dB").arg(QString::number(params.gain, 'f', 1)));
            coeffs(band->coefficients());
        };
    } else {
        return;
    }
    refresh();
    refreshers.insert(node->paramIndex, refresh);
}
