#include "pathaddress.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Root: A (id 1, index 1; inner: X id 18 -> param 0, Y id 5 -> param 1), B (id 33 -> param 2).
std::vector<path_tree_item> exampleTree()
{
    return {
        make_path_tree_node(make_indexed_path_segment(1, 1), 3),
        make_path_tree_leaf(make_path_segment(33), 2),
        NULL_PATH_TREE_ITEM,
        make_path_tree_leaf(make_path_segment(18), 0),
        make_path_tree_leaf(make_path_segment(5), 1),
        NULL_PATH_TREE_ITEM,
    };
}

// Copies into exactly-sized heap buffers so the sanitizer run catches any read past either end.
int lookup(const std::vector<path_tree_item>& tree, const std::vector<uint8_t>& path)
{
    std::unique_ptr<path_tree_item[]> treeCopy(new path_tree_item[tree.size() ? tree.size() : 1]);
    std::copy(tree.begin(), tree.end(), treeCopy.get());
    std::unique_ptr<uint8_t[]> pathCopy(new uint8_t[path.size() ? path.size() : 1]);
    std::copy(path.begin(), path.end(), pathCopy.get());
    return find_param_index(treeCopy.get(), int(tree.size()), pathCopy.get(), int(path.size()));
}

QByteArray bytesOf(path_segment segment)
{
    uint8_t out[2] = {0xEE, 0xEE};
    const int count = serialize_path_segment(segment, out);
    return QByteArray(reinterpret_cast<const char*>(out), count);
}

} // namespace

class TestPathAddress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void segmentsAtTheirLimits()
    {
        QCOMPARE(bytesOf(make_indexed_path_segment(3, 255)), QByteArray::fromHex("83ff"));
        QVERIFY(!path_segment_not_null(make_indexed_path_segment(3, 256)));
        QVERIFY(!path_segment_not_null(make_indexed_path_segment(3, unsigned(-1))));
        QCOMPARE(bytesOf(make_path_segment(18)), QByteArray::fromHex("12"));
        QVERIFY(path_segment_has_id(make_indexed_path_segment(3, 7), 3));
        QVERIFY(!path_segment_has_id(make_indexed_path_segment(3, 7), 4));
        QVERIFY(
            !path_segments_equal(make_indexed_path_segment(3, 1), make_indexed_path_segment(3, 2)));
        QVERIFY(path_segments_equal(make_path_segment(7), make_path_segment(7)));
    }

    void treeItemsAtTheirLimits()
    {
        const path_segment s = make_path_segment(9);
        QCOMPARE(path_tree_item_value(make_path_tree_leaf(s, 32767)), 0x7FFFu);
        QVERIFY(!path_tree_item_not_null(make_path_tree_leaf(s, 32768)));
        QCOMPARE(path_tree_item_value(make_path_tree_node(s, 0)), 0x8000u);
        QCOMPARE(path_tree_item_value(make_path_tree_node(s, 32767)), 0xFFFFu);
        QVERIFY(!path_tree_item_not_null(make_path_tree_node(s, 32768)));
        // Little-endian value bytes, whatever the host.
        const path_tree_item leaf = make_path_tree_leaf(make_indexed_path_segment(2, 4), 0x1234);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(leaf.bytes), 4),
                 QByteArray::fromHex("82043412"));
    }

    void findsParameterInWorkedExample()
    {
        const auto tree = exampleTree();
        QCOMPARE(lookup(tree, {0x81, 0x01, 0x05}), 1);
        QCOMPARE(lookup(tree, {0x81, 0x01, 0x12}), 0);
        QCOMPARE(lookup(tree, {0x21}), 2);
        QCOMPARE(lookup(tree, {0x21, 0x05}), 2); // leaf reached before the path ends
    }

    void rejectsMalformedPaths()
    {
        const auto tree = exampleTree();
        QCOMPARE(lookup(tree, {}), -1);
        QCOMPARE(lookup(tree, {0x00}), -1);
        QCOMPARE(lookup(tree, {0x81}), -1);             // indexed byte without its index
        QCOMPARE(lookup(tree, {0x81, 0x01}), -1);       // ends on an inner node
        QCOMPARE(lookup(tree, {0x81, 0x02, 0x05}), -1); // wrong index
        QCOMPARE(lookup(tree, {0x05}), -1);             // scan stops at the null item
        QCOMPARE(lookup(tree, {0x81, 0x01, 0x21}), -1);
        QCOMPARE(lookup(tree, {0x81, 0x01, 0x00}), -1);
        QCOMPARE(lookup({}, {0x21}), -1);
    }

    void neverReadsOutsideTheTree()
    {
        // Child list at position 0 is a dead end; one past the array is out of range.
        std::vector<path_tree_item> deadEnd = {make_path_tree_node(make_path_segment(1), 0),
                                               NULL_PATH_TREE_ITEM};
        QCOMPARE(lookup(deadEnd, {0x01, 0x01}), -1);
        std::vector<path_tree_item> pastEnd = {make_path_tree_node(make_path_segment(1), 2),
                                               NULL_PATH_TREE_ITEM};
        QCOMPARE(lookup(pastEnd, {0x01, 0x01}), -1);
        // A list without its terminating null item runs into the end of the array.
        std::vector<path_tree_item> unterminated = {make_path_tree_leaf(make_path_segment(1), 0),
                                                    make_path_tree_leaf(make_path_segment(2), 1)};
        QCOMPARE(lookup(unterminated, {0x03}), -1);
        QCOMPARE(lookup(unterminated, {0x02}), 1);
        // Inner node pointing at the last item, whose list never ends.
        std::vector<path_tree_item> tail = {make_path_tree_node(make_path_segment(1), 1),
                                            make_path_tree_node(make_path_segment(2), 1)};
        QCOMPARE(lookup(tail, {0x01, 0x02, 0x02, 0x02, 0x02}), -1);
    }

    void fixedPointTruncatesAndSaturates()
    {
        QCOMPARE(double_to_fixed_8_24(1.0), int32_t(0x01000000));
        QCOMPARE(uint32_t(double_to_fixed_8_24(-1.0)), 0xFF000000u);
        QCOMPARE(double_to_fixed_8_24(128.0), int32_t(0x7FFFFFFF));
        QCOMPARE(uint32_t(double_to_fixed_8_24(-128.0)), 0x80000000u);
        QCOMPARE(uint32_t(double_to_fixed_8_24(-200.0)), 0x80000000u);
        QCOMPARE(double_to_fixed_8_24(0.5 + std::ldexp(1.0, -25)), int32_t(0x00800000));
        QCOMPARE(double_to_fixed_8_24(-0.5 - std::ldexp(1.0, -25)), int32_t(-0x00800000));
        QCOMPARE(uint32_t(double_to_fixed_8_24(std::numeric_limits<double>::quiet_NaN())),
                 0x80000000u);
        QCOMPARE(double_to_fixed_8_24(std::numeric_limits<double>::infinity()), INT32_MAX);
        QCOMPARE(fixed_8_24_to_double(0x00800000), 0.5);
        QCOMPARE(fixed_8_24_to_double(INT32_MIN), -128.0);
    }
};

QTEST_APPLESS_MAIN(TestPathAddress)
#include "test_pathaddress.moc"
