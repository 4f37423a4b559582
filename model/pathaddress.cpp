#include "pathaddress.h"

extern "C" {

const path_segment NULL_PATH_SEGMENT = {{0, 0}};
const path_tree_item NULL_PATH_TREE_ITEM = {{0, 0, 0, 0}};

path_segment make_path_segment(int id)
{
    path_segment segment = {{static_cast<uint8_t>(id & 0xFF), 0}};
    return segment;
}

path_segment make_indexed_path_segment(int id, unsigned index)
{
    if (index > 255u)
        return NULL_PATH_SEGMENT;
    path_segment segment = {{static_cast<uint8_t>((id & 0xFF) | PATH_SEGMENT_INDEXED_FLAG),
                             static_cast<uint8_t>(index)}};
    return segment;
}

int path_segment_not_null(path_segment segment)
{
    return segment.bytes[0] != 0;
}

int path_segment_has_id(path_segment segment, int id)
{
    return (segment.bytes[0] & 0x7F) == id;
}

int serialize_path_segment(path_segment segment, uint8_t* out)
{
    out[0] = segment.bytes[0];
    if (segment.bytes[0] & PATH_SEGMENT_INDEXED_FLAG) {
        out[1] = segment.bytes[1];
        return 2;
    }
    return 1;
}

int path_segments_equal(path_segment a, path_segment b)
{
    return a.bytes[0] == b.bytes[0] && a.bytes[1] == b.bytes[1];
}

static path_tree_item make_item(path_segment segment, unsigned value)
{
    path_tree_item item = {{segment.bytes[0], segment.bytes[1], static_cast<uint8_t>(value & 0xFF),
                            static_cast<uint8_t>((value >> 8) & 0xFF)}};
    return item;
}

path_tree_item make_path_tree_node(path_segment segment, unsigned childListIndex)
{
    if (childListIndex > 32767u)
        return NULL_PATH_TREE_ITEM;
    return make_item(segment, childListIndex | PATH_TREE_INNER_FLAG);
}

path_tree_item make_path_tree_leaf(path_segment segment, unsigned paramIndex)
{
    if (paramIndex >= 32768u)
        return NULL_PATH_TREE_ITEM;
    return make_item(segment, paramIndex);
}

int path_tree_item_not_null(path_tree_item item)
{
    return item.bytes[0] != 0;
}

path_segment path_tree_item_segment(path_tree_item item)
{
    path_segment segment = {{item.bytes[0], item.bytes[1]}};
    return segment;
}

unsigned path_tree_item_value(path_tree_item item)
{
    return item.bytes[2] | (static_cast<unsigned>(item.bytes[3]) << 8);
}

int find_param_index(const path_tree_item* tree, int treeSize, const uint8_t* path, int pathLength)
{
    if (!tree || !path || treeSize <= 0)
        return -1;
    int readPos = 0;
    int listPos = 0;
    for (;;) {
        if (readPos >= pathLength)
            return -1; // a path must end on a leaf
        const uint8_t b = path[readPos];
        if (b == 0)
            return -1;
        uint8_t index = 0;
        if (b & PATH_SEGMENT_INDEXED_FLAG) {
            if (readPos + 1 >= pathLength)
                return -1;
            index = path[readPos + 1];
            readPos += 2;
        } else {
            readPos += 1;
        }
        if (listPos >= treeSize)
            return -1;
        const path_tree_item* match = nullptr;
        for (int i = listPos; i < treeSize; ++i) {
            if (tree[i].bytes[0] == 0)
                return -1;
            if (tree[i].bytes[0] == b && tree[i].bytes[1] == index) {
                match = &tree[i];
                break;
            }
        }
        if (!match)
            return -1;
        const unsigned value = path_tree_item_value(*match);
        if (!(value & PATH_TREE_INNER_FLAG))
            return static_cast<int>(value);
        listPos = static_cast<int>(value & 0x7FFF);
        if (listPos == 0 || listPos >= treeSize)
            return -1;
    }
}

} // extern "C"
