#pragma once

#include <QHash>
#include <QTreeWidget>
#include <functional>

class Node;
class ParamTree;
class QTreeWidgetItem;

// Every parameter of the tree in a row of its own, under the rows of its groups, each with
// an editor bound to it; filters show their parameters and coefficients read-only, and a
// button on a bank of bands or a crossover opens its dialog.
class ParamTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ParamTreeView(QWidget* parent = nullptr);

    // Builds the rows of `tree`, which must outlive the view.
    void showTree(ParamTree* tree);
    // The row of a node, or null.
    QTreeWidgetItem* itemOf(const Node* node) const { return items.value(node); }

private:
    void addRows(Node* node, QTreeWidgetItem* parentItem);
    void addEditor(Node* node, QTreeWidgetItem* item);
    // A filter's parameters and coefficients in rows under its own, kept up to date.
    void addFilterRows(Node* node, QTreeWidgetItem* item);

    QHash<int, std::function<void()>> refreshers; // by parameter index
    QHash<const Node*, QTreeWidgetItem*> items;
};
