#include "node.h"
#include "treewidget.h"

#include <QJsonArray>
#include <QTreeWidgetItem>
#include <QtTest>

namespace {

// A parameter (segment id given) or, with a null id, an inner node; a leaf's JSON is a number.
class TestNode : public Node
{
public:
    TestNode(const NodeArgs& args, const char* name, path_segment segment, bool leaf = true)
        : Node(args, QString::fromLatin1(name), segment, QStringLiteral("float")), own(args)
    {
        if (leaf)
            registerParam(args);
    }
    TestNode* add(const char* name, path_segment segment, bool leaf = true)
    {
        auto* child = new TestNode(childArgs(own), name, segment, leaf);
        children.append(child);
        return child;
    }
    void constructJson(QJsonObject& parent) const override
    {
        if (children.isEmpty())
            parent.insert(name, value);
        else
            Node::constructJson(parent);
    }
    void readJson(const QJsonObject& parent) override
    {
        if (!children.isEmpty())
            Node::readJson(parent);
        else if (parent.value(name).isDouble())
            value = parent.value(name).toDouble();
    }
    NodeArgs own;
    double value = 0;
};

} // namespace

class TestNodeCore : public QObject
{
    Q_OBJECT
    TreeWidget hub;
    QList<Node*> params;
    Node root;

    TestNode* top(const char* name, path_segment segment, bool leaf = true)
    {
        auto* node = new TestNode(NodeArgs{&root, &params, &hub, nullptr}, name, segment, leaf);
        root.children.append(node);
        return node;
    }
private Q_SLOTS:
    void flattensTheWorkedExampleAndNamesIt()
    {
        auto* a = top("Digital Input 1", make_indexed_path_segment(1, 1), false);
        auto* x = a->add("X", make_path_segment(18));
        auto* y = a->add("Master-Volume 1", make_path_segment(5));
        top("B", make_path_segment(33));
        // An unaddressable child and everything below it stay out of the path tree.
        top("Hidden", NULL_PATH_SEGMENT, false)->add("H", make_path_segment(9));
        QCOMPARE(x->paramIndex, 0);
        QCOMPARE(params.size(), 4);

        int next = 0;
        root.assignPathTreeIndices(next);
        const QVector<path_tree_item> items = root.constructPathSubtree();
        QCOMPARE(next, 6);
        const QByteArray flat(reinterpret_cast<const char*>(items.constData()), items.size() * 4);
        QCOMPARE(flat, QByteArray::fromHex("81010380" // A -> list at 3
                                           "21000200" // B -> parameter 2
                                           "00000000" // end of root list
                                           "12000000" // X -> parameter 0
                                           "05000100" // Y -> parameter 1
                                           "00000000"));
        QCOMPARE(y->makePath(), QByteArray::fromHex("810105"));
        QCOMPARE(y->getCallbackName(), QStringLiteral("Digital_Input_1__Master_Volume_1__"));
        QCOMPARE(y->getParentName(), QStringLiteral("Digital Input 1"));
        QCOMPARE(y->treeItem->parent(), a->treeItem);
        QCOMPARE(hub.topLevelItemCount(), 3);
        QVERIFY(root.makePath().isEmpty() && root.getParentName().isNull());
    }

    void baseJsonSkipsNonSettingsAndToleratesBadMembers()
    {
        auto* out = top("Out", make_path_segment(1), false);
        auto* gain = out->add("Gain", make_path_segment(2));
        auto* level = out->add("Level", make_path_segment(3));
        level->readOnly = true;
        out->add("Label", make_path_segment(4))->persistent = false;
        gain->value = 1.5;

        QJsonObject doc{{"Out", "replaced"}};
        out->constructJson(doc);
        QCOMPARE(doc.value("Out").toObject(), QJsonObject({{"Gain", 1.5}}));
        // Reading visits every child whatever its flags; a non-object member is ignored whole.
        out->readJson(QJsonObject{{"Out", QJsonObject{{"Gain", 2.0}, {"Level", -3.0}}}});
        out->readJson(QJsonObject{{"Out", QJsonArray{1, 2}}});
        QCOMPARE(gain->value, 2.0);
        QCOMPARE(level->value, -3.0);
    }
};

QTEST_MAIN(TestNodeCore)
#include "test_node.moc"
