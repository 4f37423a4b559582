// ParamTree::deserializeParam with arbitrary bytes. Input: a subset byte (taken modulo
// three), an index byte, then the value. An index inside the subset picks that parameter;
// any other hands the value to every parameter of the subset in turn.
// A refused value must leave the node as it was; an accepted one must read back as a
// value of the same size that the node takes again unchanged, and must save as finite
// numbers.
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "paramtree.h"
#include "treewidget.h"

#include <QJsonObject>
#include <cmath>

namespace {

struct Model
{
    TreeWidget hub;
    ParamTree tree{&hub};
};

ParamTree& paramTree()
{
    ensureApplication();
    static Model* model = new Model;
    return model->tree;
}

bool allNumbersFinite(const QJsonObject& object)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isObject() && !allNumbersFinite(it.value().toObject()))
            return false;
        if (it.value().isDouble() && !std::isfinite(it.value().toDouble()))
            return false;
        if (it.value().isNull())
            return false;
    }
    return true;
}

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
    FUZZ_CHECK(tree.deserializeParam(subset, index, after));
    FUZZ_CHECK(node->serialize() == after);
    // Whatever the device sent must still save as a file that loads again.
    QJsonObject saved;
    node->constructJson(saved);
    FUZZ_CHECK(allNumbersFinite(saved));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamTree& tree = paramTree();
    FuzzInput input(data, size);
    const auto subset = ParamTree::ParamSubset(input.byte() % 3);
    const int index = input.byte();
    const QByteArray value = input.rest();

    const int count = tree.subsetToList(subset)->size();
    if (index < count) {
        deserializeOne(tree, subset, index, value);
    } else {
        for (int i = 0; i < count; ++i)
            deserializeOne(tree, subset, i, value);
    }
    FUZZ_CHECK(!tree.deserializeParam(subset, count, value));
    FUZZ_CHECK(!tree.deserializeParam(subset, -1, value));
    return 0;
}
