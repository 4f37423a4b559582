#include "node.h"
#include "treewidget.h"

#include <QJsonArray>
#include <QTreeWidgetItem>
#include <QtTest>

namespace {

// A parameter without a widget; its JSON entry is a number.
class Leaf : public Node
{
public:
    Leaf(const NodeArgs& args, const QString& name, path_segment segment, double value = 0)
        : Node(args, name, segment, QStringLiteral("float")), value(value)
    {
        registerParam(args);
    }
    void constructJson(QJsonObject& parent) const override { parent.insert(name, value); }
    void readJson(const QJsonObject& parent) override
    {
        if (parent.value(name).isDouble())
            value = parent.value(name).toDouble();
    }
    double value;
};

class Inner : public Node
{
public:
    Inner(const NodeArgs& args, const QString& name, path_segment segment)
        : Node(args, name, segment, QString()), own(args)
    {}
    template <typename T, typename... A> T* add(A&&... a)
    {
        auto* child = new T(childArgs(own), std::forward<A>(a)...);
        children.append(child);
        return child;
    }
    NodeArgs own;
};

struct Fixture
{
    TreeWidget hub;
    QList<Node*> params;
    Node root;

    NodeArgs rootArgs()
    {
        NodeArgs args;
        args.parent = &root;
        args.params = &params;
        args.treeWidget = &hub;
        return args;
    }
    template <typename T, typename... A> T* add(A&&... a)
    {
        auto* child = new T(rootArgs(), std::forward<A>(a)...);
        root.children.append(child);
        return child;
    }
};

} // namespace

class TestNode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void flattensTheWorkedExample()
    {
        Fixture f;
        auto* a = f.add<Inner>(QStringLiteral("A"), make_indexed_path_segment(1, 1));
        auto* x = a->add<Leaf>(QStringLiteral("X"), make_path_segment(18));
        auto* y = a->add<Leaf>(QStringLiteral("Y"), make_path_segment(5));
        f.add<Leaf>(QStringLiteral("B"), make_path_segment(33));
        // An unaddressable child and everything below it stay out of the path tree.
        auto* hidden = f.add<Inner>(QStringLiteral("Hidden"), NULL_PATH_SEGMENT);
        hidden->add<Leaf>(QStringLiteral("H"), make_path_segment(9));

        QCOMPARE(x->paramIndex, 0);
        QCOMPARE(y->paramIndex, 1);
        QCOMPARE(f.params.size(), 4);

        int next = 0;
        f.root.assignPathTreeIndices(next);
        const QVector<path_tree_item> items = f.root.constructPathSubtree();
        QCOMPARE(next, 6);
        QCOMPARE(items.size(), 6);
        const QByteArray flat(reinterpret_cast<const char*>(items.constData()), items.size() * 4);
        QCOMPARE(flat, QByteArray::fromHex("8101"
                                           "0380" // A -> list at 3
                                           "2100"
                                           "0200"     // B -> parameter 2
                                           "00000000" // end of root list
                                           "1200"
                                           "0000" // X -> parameter 0
                                           "0500"
                                           "0100" // Y -> parameter 1
                                           "00000000"));
        QCOMPARE(y->makePath(), QByteArray::fromHex("810105"));
        QCOMPARE(find_param_index(items.constData(), items.size(),
                                  reinterpret_cast<const uint8_t*>(y->makePath().constData()), 3),
                 1);
        QCOMPARE(f.root.makePath(), QByteArray());
    }

    void namesRowsAndCallbacks()
    {
        Fixture f;
        auto* master = f.add<Inner>(QStringLiteral("Master-Volume 1"), make_path_segment(2));
        auto* input =
            f.add<Inner>(QStringLiteral("Digital Input 1"), make_indexed_path_segment(3, 2));
        auto* volume = input->add<Leaf>(QStringLiteral("Volume"), make_path_segment(7));
        QCOMPARE(master->getCallbackName(), QStringLiteral("Master_Volume_1__"));
        QCOMPARE(volume->getCallbackName(), QStringLiteral("Digital_Input_1__Volume__"));
        QCOMPARE(f.root.getCallbackName(), QString());
        QCOMPARE(volume->makePath(), QByteArray::fromHex("830207"));
        QCOMPARE(volume->getParentName(), QStringLiteral("Digital Input 1"));
        QVERIFY(f.root.getParentName().isNull());
        QVERIFY(
            path_segments_equal(volume->getParentPathSegment(), make_indexed_path_segment(3, 2)));
        QVERIFY(!path_segment_not_null(f.root.getParentPathSegment()));
        // Top-level rows hang off the hub, the rest off their parent's row.
        QCOMPARE(f.hub.topLevelItemCount(), 2);
        QCOMPARE(volume->treeItem->parent(), input->treeItem);
        QCOMPARE(volume->treeItem->text(0), QStringLiteral("Volume"));
        QVERIFY(!Node().deserialize(QByteArray("x")));
        QVERIFY(Node().serialize().isEmpty());
    }

    void baseJsonSkipsNonSettingsAndToleratesBadMembers()
    {
        Fixture f;
        auto* out = f.add<Inner>(QStringLiteral("Out"), make_path_segment(1));
        auto* gain = out->add<Leaf>(QStringLiteral("Gain"), make_path_segment(2), 1.5);
        auto* level = out->add<Leaf>(QStringLiteral("Level"), make_path_segment(3), -20);
        level->readOnly = true;
        auto* label = out->add<Leaf>(QStringLiteral("Label"), make_path_segment(4), 7);
        label->persistent = false;

        QJsonObject doc;
        doc.insert(QStringLiteral("Out"), QStringLiteral("replaced"));
        out->constructJson(doc);
        QCOMPARE(doc.value(QStringLiteral("Out")).toObject(),
                 QJsonObject({{QStringLiteral("Gain"), 1.5}}));

        // Reading visits every child regardless of its flags.
        out->readJson(QJsonObject(
            {{QStringLiteral("Out"),
              QJsonObject({{QStringLiteral("Gain"), 2.0}, {QStringLiteral("Level"), -3.0}})}}));
        QCOMPARE(gain->value, 2.0);
        QCOMPARE(level->value, -3.0);
        // A member that is not an object is ignored whole.
        out->readJson(QJsonObject({{QStringLiteral("Out"), QJsonArray({1, 2})}}));
        out->readJson(QJsonObject());
        QCOMPARE(gain->value, 2.0);
    }
};

QTEST_MAIN(TestNode)
#include "test_node.moc"
