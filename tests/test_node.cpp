#include "node.h"
#include "treewidget.h"

#include <QJsonArray>
#include <QTreeWidgetItem>
#include <QtTest>

namespace {

// A parameter without a widget; its JSON member is a number.
class Leaf : public Node
{
public:
    Leaf(const NodeArgs& args, const char* name, int id)
        : Node(args, QString::fromLatin1(name), make_path_segment(id), QStringLiteral("float"))
    {
        registerParam(args);
    }
    void constructJson(QJsonObject& parent) const override { parent.insert(name, value); }
    void readJson(const QJsonObject& parent) override { value = parent[name].toDouble(value); }
    double value = 0;
};

} // namespace

class TestNode : public QObject
{
    Q_OBJECT
    TreeWidget hub;
    QList<Node*> params;
    Node root;

    // Children of the root, or of one of its children.
    template <typename T, typename... A> T* add(Node* parent, A&&... a)
    {
        NodeArgs args{&root, &params, &hub, nullptr};
        if (parent != &root)
            args = parent->childArgs(args);
        auto* node = new T(args, std::forward<A>(a)...);
        parent->children.append(node);
        return node;
    }
    Node* inner(const char* name, path_segment segment)
    {
        return add<Node>(&root, QString::fromLatin1(name), segment, QString());
    }

private Q_SLOTS:
    void flattensTheWorkedExampleAndNamesIt()
    {
        Node* a = inner("Digital Input 1", make_indexed_path_segment(1, 1));
        auto* x = add<Leaf>(a, "X", 18);
        auto* y = add<Leaf>(a, "Master-Volume 1", 5);
        add<Leaf>(&root, "B", 33);
        // An unaddressable child and everything below it stay out of the path tree.
        add<Leaf>(inner("Hidden", NULL_PATH_SEGMENT), "H", 9);
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
        Node* out = inner("Out", make_path_segment(1));
        auto* gain = add<Leaf>(out, "Gain", 2);
        auto* level = add<Leaf>(out, "Level", 3);
        level->readOnly = true;
        add<Leaf>(out, "Label", 4)->persistent = false;
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

QTEST_MAIN(TestNode)
#include "test_node.moc"
