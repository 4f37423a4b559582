#include "fixedpoint.h"
#include "hubqueue.h"
#include "node.h"
#include "paramhub.h"
#include "pathaddress.h"
#include "updatequeue.h"

#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// A parameter without a widget.
class Leaf : public Node
{
public:
    Leaf(const NodeArgs& args, const char* name, int id)
        : Node(args, QString::fromLatin1(name), make_path_segment(id), QStringLiteral("float"))
    {
        registerParam(args);
    }
};

// find_param_index on exactly sized heap copies: the sanitizer run catches a read past
// either end.
int lookup(const char* hexTree, const char* hexPath)
{
    const QByteArray tree = QByteArray::fromHex(hexTree), path = QByteArray::fromHex(hexPath);
    std::unique_ptr<path_tree_item[]> t(new path_tree_item[tree.size() / 4 + tree.isEmpty()]);
    std::memcpy(t.get(), tree.constData(), size_t(tree.size()));
    std::unique_ptr<uint8_t[]> p(new uint8_t[size_t(path.size()) + path.isEmpty()]);
    std::memcpy(p.get(), path.constData(), size_t(path.size()));
    return find_param_index(t.get(), tree.size() / 4, p.get(), path.size());
}

} // namespace

// Path addressing, the node core and the hub, with Qt Core alone.
class TestNode : public QObject
{
    Q_OBJECT
    ParamHub hub;
    QList<Node*> params;
    Node root;

    // Children of the root, or of one of its children.
    template <typename T, typename... A> T* add(Node* parent, A&&... a)
    {
        NodeArgs args{&root, &params, &hub};
        if (parent != &root)
            args = parent->childArgs(args);
        auto* node = new T(args, std::forward<A>(a)...);
        parent->children.append(node);
        return node;
    }
    Node* innerNode(const char* name, path_segment segment)
    {
        return add<Node>(&root, QString::fromLatin1(name), segment, QString());
    }

private Q_SLOTS:
    void segmentsItemsAndFixedPoint()
    {
        uint8_t out[2] = {};
        QCOMPARE(serialize_path_segment(make_indexed_path_segment(3, 255), out), 2);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 2), QByteArray::fromHex("83ff"));
        QVERIFY(!path_segment_not_null(make_indexed_path_segment(3, 256)));
        QVERIFY(!path_tree_item_not_null(make_path_tree_leaf(make_path_segment(9), 32768)));
        QCOMPARE(path_tree_item_value(make_path_tree_node(make_path_segment(9), 32767)), 0xFFFFu);
        const path_tree_item item = make_path_tree_leaf(make_indexed_path_segment(2, 4), 0x1234);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(item.bytes), 4),
                 QByteArray::fromHex("82043412"));

        // Fixed 8.24 truncates toward zero and saturates; NaN is the lowest value.
        const double nan = std::numeric_limits<double>::quiet_NaN(), tiny = std::ldexp(1.0, -25);
        const double in[] = {1.0, -1.0, 128.0, -200.0, 0.5 + tiny, -0.5 - tiny, nan, HUGE_VAL};
        const uint32_t fixed[] = {0x01000000u, 0xFF000000u, 0x7FFFFFFFu, 0x80000000u,
                                  0x00800000u, 0xFF800000u, 0x80000000u, 0x7FFFFFFFu};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(uint32_t(double_to_fixed_8_24(in[i])), fixed[i]);
        QCOMPARE(fixed_8_24_to_double(INT32_MIN), -128.0);
    }

    void lookupStaysInsideTreeAndPath()
    {
        // Root: A (id 1, index 1) -> [X id 18 -> 0, Y id 5 -> 1], B (id 33) -> 2.
        const char* ex = "81010380 21000200 00000000 12000000 05000100 00000000";
        // Found; a leaf reached before the path ends; empty; a zero byte; a lone indexed byte;
        // ending on an inner node; an unknown index; an id behind the null item.
        const char* paths[] = {"810105", "810112", "2105", "", "00", "81", "8101", "810205", "05"};
        const int found[] = {1, 0, 2, -1, -1, -1, -1, -1, -1};
        for (int i = 0; i < 9; ++i)
            QVERIFY2(lookup(ex, paths[i]) == found[i], paths[i]);
        // A tree of size 0, lists at position 0 and past the end, no end item, a cycle.
        QCOMPARE(lookup("", "21"), -1);
        QCOMPARE(lookup("01000080 00000000", "0101"), -1);
        QCOMPARE(lookup("01000280 00000000", "0101"), -1);
        QCOMPARE(lookup("01000000 02000100", "03"), -1);
        QCOMPARE(lookup("01000000 02000100", "02"), 1);
        QCOMPARE(lookup("01000180 02000180", "0102020202"), -1);
    }

    void flattensTheWorkedExampleAndNamesIt()
    {
        Node* a = innerNode("Digital Input 1", make_indexed_path_segment(1, 1));
        add<Leaf>(a, "X", 18);
        auto* y = add<Leaf>(a, "Master-Volume 1", 5);
        add<Leaf>(&root, "B", 33);
        // An unaddressable child and everything below it stay out of the path tree.
        add<Leaf>(innerNode("Hidden", NULL_PATH_SEGMENT), "H", 9);
        int next = 0;
        root.assignPathTreeIndices(next);
        const QVector<path_tree_item> items = root.constructPathSubtree();
        const QByteArray flat(reinterpret_cast<const char*>(items.constData()), items.size() * 4);
        QCOMPARE(flat, QByteArray::fromHex("81010380" // A -> list at 3
                                           "21000200" // B -> parameter 2
                                           "00000000" // end of root list
                                           "12000000" // X -> parameter 0
                                           "05000100" // Y -> parameter 1
                                           "00000000"));
        QCOMPARE(y->makePath(), QByteArray::fromHex("810105"));
        QCOMPARE(y->getCallbackName(), QStringLiteral("Digital_Input_1__Master_Volume_1__"));
    }

    void queueKeepsFirstTouchOrderWithoutDuplicates()
    {
        UpdateQueue queue;
        QSignalSpy announced(&queue, &UpdateQueue::paramEnqueued);
        for (int i : {5, 3, 5})
            queue.enqueue(i);
        QCOMPARE(announced.count(), 3); // a repeated edit still wakes the link
        QCOMPARE(queue.dequeue(), std::optional<int>(5));
        queue.enqueue(5); // touched again after being taken: at the end
        QCOMPARE(drain(queue), QList<int>({3, 5}));
        QVERIFY(queue.isEmpty() && !queue.dequeue());
        for (int i : {1, 2})
            queue.enqueue(i);
        queue.clear();
        QCOMPARE(drain(queue), QList<int>());
        queue.enqueue(2); // a cleared index is taken again
        QCOMPARE(drain(queue), QList<int>({2}));
    }
};

QTEST_GUILESS_MAIN(TestNode)
#include "test_node.moc"
