// find_param_index over arbitrary trees and paths, against a plain reading of the
// addressing rules. Input: a mode byte, a path length byte, the path, then the tree as
// 4-byte items. Mode bit 0 takes the tree of a full parameter tree instead of the input's
// items; bit 1 then XORs the input's items over it.
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "paramtree.h"
#include "treewidget.h"

#include <memory>
#include <vector>

namespace {

int expectedIndex(const std::vector<path_tree_item>& tree, const QByteArray& path)
{
    size_t list = 0;
    for (int pos = 0;;) {
        if (pos >= path.size())
            return -1;
        const uint8_t b = uint8_t(path[pos]);
        if (b == 0)
            return -1;
        unsigned key = b;
        if (b & 0x80) {
            if (pos + 1 >= path.size())
                return -1;
            key |= unsigned(uint8_t(path[pos + 1])) << 8;
            pos += 2;
        } else {
            pos += 1;
        }
        size_t i = list;
        for (; i < tree.size(); ++i) {
            if (tree[i].bytes[0] == 0)
                return -1;
            if ((tree[i].bytes[0] | unsigned(tree[i].bytes[1]) << 8) == key)
                break;
        }
        if (i >= tree.size())
            return -1;
        const unsigned value = tree[i].bytes[2] | unsigned(tree[i].bytes[3]) << 8;
        if (!(value & 0x8000))
            return int(value);
        list = value & 0x7FFF;
        if (list == 0 || list >= tree.size())
            return -1;
    }
}

struct DeviceTree
{
    TreeWidget hub;
    ParamTree tree{&hub};
    QVector<path_tree_item> items = tree.constructPathTree();
};

DeviceTree& deviceTree()
{
    ensureApplication();
    static DeviceTree* device = new DeviceTree;
    return *device;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t mode = input.byte();
    const QByteArray path = input.bytes(input.byte());

    std::vector<path_tree_item> tree;
    const bool onDevice = mode & 1;
    if (onDevice) {
        const QVector<path_tree_item>& items = deviceTree().items;
        tree.assign(items.begin(), items.end());
    }
    for (size_t i = 0; input.remaining() >= 4; ++i) {
        const QByteArray bytes = input.bytes(4);
        path_tree_item item = {
            {uint8_t(bytes[0]), uint8_t(bytes[1]), uint8_t(bytes[2]), uint8_t(bytes[3])}};
        if (!onDevice)
            tree.push_back(item);
        else if ((mode & 2) && i < tree.size())
            for (int b = 0; b < 4; ++b)
                tree[i].bytes[b] ^= item.bytes[b];
    }

    // Exact-size heap copies, so that a read past either end is caught.
    std::unique_ptr<path_tree_item[]> treeCopy(new path_tree_item[tree.size()]);
    std::copy(tree.begin(), tree.end(), treeCopy.get());
    std::unique_ptr<uint8_t[]> pathCopy(new uint8_t[size_t(path.size())]);
    std::copy(path.begin(), path.end(), pathCopy.get());

    const int found =
        find_param_index(treeCopy.get(), int(tree.size()), pathCopy.get(), path.size());
    FUZZ_CHECK(found == expectedIndex(tree, path));
    FUZZ_CHECK(found >= -1 && found < 32768);
    // Sizes that cannot be right are refused, not trusted.
    FUZZ_CHECK(
        find_param_index(treeCopy.get(), -int(tree.size()) - 1, pathCopy.get(), path.size()) == -1);
    FUZZ_CHECK(find_param_index(treeCopy.get(), int(tree.size()), pathCopy.get(), -1) == -1);

    // On the device's own tree a parameter is found only by a path that starts with its own.
    if (onDevice && !(mode & 2) && found >= 0) {
        Node* node = deviceTree().tree.getParamNode(ParamTree::All, found);
        FUZZ_CHECK(node);
        FUZZ_CHECK(path.startsWith(node->makePath()));
    }
    return 0;
}
