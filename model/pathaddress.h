#pragma once

#include <stdint.h>

// Addressing of device parameters: path segments and the flattened path tree.
// Plain values with C linkage so that firmware-side code can share them.

#ifdef __cplusplus
extern "C" {
#endif

// Byte 0: id in bits 0-6, indexed flag in bit 7. Byte 1: index when indexed.
typedef struct path_segment
{
    uint8_t bytes[2];
} path_segment;

// Bytes 0-1: segment. Bytes 2-3 (little-endian): bit 15 set = inner node whose
// child list starts at bits 0-14; clear = leaf with parameter index in bits 0-14.
typedef struct path_tree_item
{
    uint8_t bytes[4];
} path_tree_item;

#define PATH_SEGMENT_INDEXED_FLAG 0x80u
#define PATH_TREE_INNER_FLAG 0x8000u

extern const path_segment NULL_PATH_SEGMENT;
extern const path_tree_item NULL_PATH_TREE_ITEM;

path_segment make_path_segment(int id);
path_segment make_indexed_path_segment(int id, unsigned index);
int path_segment_not_null(path_segment segment);
int path_segment_has_id(path_segment segment, int id);
int serialize_path_segment(path_segment segment, uint8_t* out);
int path_segments_equal(path_segment a, path_segment b);

path_tree_item make_path_tree_node(path_segment segment, unsigned childListIndex);
path_tree_item make_path_tree_leaf(path_segment segment, unsigned paramIndex);
int path_tree_item_not_null(path_tree_item item);
path_segment path_tree_item_segment(path_tree_item item);
unsigned path_tree_item_value(path_tree_item item);

int find_param_index(const path_tree_item* tree, int treeSize, const uint8_t* path, int pathLength);

#ifdef __cplusplus
}
#endif
