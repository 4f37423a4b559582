// find_param_index over arbitrary trees and paths, against a plain reading of the
// addressing rules. Input: a mode byte, a path length byte, the path, then the tree as
// 4-byte items. Mode bit 0 takes the tree of a full parameter tree instead of the input's
// items; bit 1 then XORs the input's items over it.
#include "fuzzapplication.h"
#include "fuzzinput.h"

#include <memory>
#include <vector>

namespace {

unsigned word(uint8_t low, uint8_t high)
{
    return low | unsigned(high) << 8;
}

int expectedIndex(const std::vector<path_tree_item>& tree, const QByteArray& path)
{
    size_t list = 0;
    for (int pos = 0; pos < path.size() && path[pos] != 0;) {
        // A key is one byte, or two when the first has its top bit set.
        const bool wide = uint8_t(path[pos]) & 0x80;
        if (wide && pos + 1 >= path.size())
            return -1;
        const unsigned key = word(uint8_t(path[pos]), wide ? uint8_t(path[pos + 1]) : 0);
        pos += wide ? 2 : 1;
        size_t i = list; // the list ends at an item with a zero first byte
        while (i < tree.size() && tree[i].bytes[0] != 0 &&
               word(tree[i].bytes[0], tree[i].bytes[1]) != key)
            ++i;
        if (i >= tree.size() || tree[i].bytes[0] == 0)
            return -1;
        const unsigned value = word(tree[i].bytes[2], tree[i].bytes[3]);
        if (!(value & 0x8000))
            return int(value);
        list = value & 0x7FFF;
        if (list == 0 || list >= tree.size())
            return -1;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QVector<path_tree_item> device = fuzzParamTree().constructPathTree();
    FuzzInput input(data, size);
    const uint8_t mode = input.byte();
    const QByteArray path = input.bytes(input.byte());
    const bool onDevice = mode & 1;
    std::vector<path_tree_item> tree;
    if (onDevice)
        tree.assign(device.begin(), device.end());
    for (size_t i = 0;; ++i) {
        const QByteArray b = input.bytes(4);
        if (b.size() < 4)
            break;
        const path_tree_item item = {{uint8_t(b[0]), uint8_t(b[1]), uint8_t(b[2]), uint8_t(b[3])}};
        if (!onDevice)
            tree.push_back(item);
        else if ((mode & 2) && i < tree.size())
            for (int k = 0; k < 4; ++k)
                tree[i].bytes[k] ^= item.bytes[k];
    }

    // Exact-size heap copies, so that a read past either end is caught.
    std::unique_ptr<path_tree_item[]> items(new path_tree_item[tree.size()]);
    std::copy(tree.begin(), tree.end(), items.get());
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(path.size())]);
    std::copy(path.begin(), path.end(), bytes.get());
    const int n = int(tree.size());
    const int found = find_param_index(items.get(), n, bytes.get(), path.size());
    FUZZ_CHECK(found == expectedIndex(tree, path));
    // Sizes that cannot be right are refused, not trusted.
    FUZZ_CHECK(find_param_index(items.get(), -n - 1, bytes.get(), path.size()) == -1);
    FUZZ_CHECK(find_param_index(items.get(), n, bytes.get(), -1) == -1);

    // On the device's own tree a parameter is found only by a path that starts with its own.
    if (onDevice && !(mode & 2) && found >= 0) {
        Node* node = fuzzParamTree().getParamNode(ParamTree::All, found);
        FUZZ_CHECK(node && path.startsWith(node->makePath()));
    }
    return 0;
}
