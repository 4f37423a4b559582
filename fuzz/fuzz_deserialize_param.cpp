// ParamTree::deserializeParam with arbitrary bytes. Input: a subset byte (taken modulo
// three), an index byte, then the value. An index inside the subset picks that parameter;
// any other hands the value to every parameter of the subset in turn.
// A refused value must leave the node as it was; an accepted one must read back as a
// value of the same size that the node takes again unchanged, and must save as finite
// numbers.
#include "fuzzapplication.h"
#include "fuzzinput.h"

namespace {

void deserializeOne(ParamTree& tree, ParamTree::ParamSubset subset, int index,
                    const QByteArray& value)
{
    Node* node = tree.getParamNode(subset, index);
    FUZZ_CHECK(node);
    const QByteArray before = node->serialize();
    if (!tree.deserializeParam(subset, index, value)) {
        FUZZ_CHECK(node->serialize() == before);
        return;
    }
    const QByteArray after = node->serialize();
    FUZZ_CHECK(after.size() == before.size());
    FUZZ_CHECK(tree.deserializeParam(subset, index, after) && node->serialize() == after);
    // Whatever the device sent must still save as a file that loads again.
    QJsonObject saved;
    node->constructJson(saved);
    FUZZ_CHECK(allNumbersFinite(saved));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamTree& tree = fuzzParamTree();
    FuzzInput input(data, size);
    const auto subset = ParamTree::ParamSubset(input.byte() % 3);
    const int index = input.byte();
    const QByteArray value = input.bytes();
    const int count = tree.subsetToList(subset)->size();
    for (int i = index < count ? index : 0; i < (index < count ? index + 1 : count); ++i)
        deserializeOne(tree, subset, i, value);
    FUZZ_CHECK(!tree.deserializeParam(subset, count, value));
    FUZZ_CHECK(!tree.deserializeParam(subset, -1, value));
    return 0;
}
