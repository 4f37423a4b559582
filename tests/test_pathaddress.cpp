#include "pathaddress.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <vector>

namespace {

path_tree_item leaf(int id, int param)
{
    return make_path_tree_leaf(make_path_segment(id), param);
}

path_tree_item inner(int id, int list)
{
    return make_path_tree_node(make_path_segment(id), list);
}

} // namespace

class TestPathAddress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void limitsAndByteOrder()
    {
        uint8_t out[2] = {};
        QCOMPARE(serialize_path_segment(make_indexed_path_segment(3, 255), out), 2);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 2), QByteArray::fromHex("83ff"));
        QVERIFY(!path_segment_not_null(make_indexed_path_segment(3, 256)));
        QVERIFY(!path_tree_item_not_null(leaf(9, 32768)));
        QVERIFY(!path_tree_item_not_null(inner(9, 32768)));
        QCOMPARE(path_tree_item_value(inner(9, 32767)), 0xFFFFu);
        const path_tree_item item = make_path_tree_leaf(make_indexed_path_segment(2, 4), 0x1234);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(item.bytes), 4),
                 QByteArray::fromHex("82043412"));
    }

    void lookupStaysInsideTreeAndPath()
    {
        // Root: A (id 1, index 1) -> [X id 18 -> 0, Y id 5 -> 1], B (id 33) -> 2.
        const std::vector<path_tree_item> example{
            make_path_tree_node(make_indexed_path_segment(1, 1), 3),
            leaf(33, 2),
            NULL_PATH_TREE_ITEM,
            leaf(18, 0),
            leaf(5, 1),
            NULL_PATH_TREE_ITEM};
        const struct
        {
            std::vector<path_tree_item> tree;
            std::vector<uint8_t> path;
            int expected;
        } cases[] = {{example, {0x81, 0x01, 0x05}, 1},
                     {example, {0x81, 0x01, 0x12}, 0},
                     {example, {0x21, 0x05}, 2}, // a leaf reached before the path ends
                     {example, {}, -1},
                     {example, {0x00}, -1},
                     {example, {0x81}, -1},
                     {example, {0x81, 0x01}, -1},
                     {example, {0x81, 0x02, 0x05}, -1},
                     {example, {0x05}, -1}, // the scan stops at the null item
                     {{}, {0x21}, -1},
                     {{inner(1, 0), NULL_PATH_TREE_ITEM}, {1, 1}, -1},
                     {{inner(1, 2), NULL_PATH_TREE_ITEM}, {1, 1}, -1}, // list past the end
                     {{leaf(1, 0), leaf(2, 1)}, {3}, -1},              // unterminated list
                     {{leaf(1, 0), leaf(2, 1)}, {2}, 1},
                     {{inner(1, 1), inner(2, 1)}, {1, 2, 2, 2, 2}, -1}};
        for (const auto& c : cases) {
            // Exactly sized heap copies: the sanitizer run catches a read past either end.
            std::unique_ptr<path_tree_item[]> t(new path_tree_item[c.tree.size() + c.tree.empty()]);
            std::copy(c.tree.begin(), c.tree.end(), t.get());
            std::unique_ptr<uint8_t[]> p(new uint8_t[c.path.size() + c.path.empty()]);
            std::copy(c.path.begin(), c.path.end(), p.get());
            QCOMPARE(find_param_index(t.get(), int(c.tree.size()), p.get(), int(c.path.size())),
                     c.expected);
        }
    }

    void fixedPointTruncatesAndSaturates()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN(), tiny = std::ldexp(1.0, -25);
        const double in[] = {1.0, -1.0, 128.0, -200.0, 0.5 + tiny, -0.5 - tiny, nan, HUGE_VAL};
        const uint32_t out[] = {0x01000000u, 0xFF000000u, 0x7FFFFFFFu, 0x80000000u,
                                0x00800000u, 0xFF800000u, 0x80000000u, 0x7FFFFFFFu};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(uint32_t(double_to_fixed_8_24(in[i])), out[i]);
        QCOMPARE(fixed_8_24_to_double(INT32_MIN), -128.0);
    }
};

QTEST_APPLESS_MAIN(TestPathAddress)
#include "test_pathaddress.moc"
