#include "paramtree.h"

#include "dacmodelnode.h"
#include "devicenodes.h"
#include "firmwareversionnode.h"
#include "inputnode.h"
#include "outputnode.h"
#include "pluginversionnode.h"
#include "segmentid.h"
#include "settingsjson.h"

#include <QJsonObject>

ParamTree::ParamTree()
{
    hub = &ownHub;
    NodeArgs args;
    args.parent = this;
    args.params = &allParams;
    args.hub = &ownHub;

    preset = addTopLevel(new PresetNode(args));
    presetSource = addTopLevel(new PresetSourceNode(args));
    masterVolume = addTopLevel(new MasterVolumeNode(args));
    volumeSource = addTopLevel(new VolumeSourceNode(args));
    subwooferVolume = addTopLevel(new SubwooferVolumeNode(args));
    subwooferMode = addTopLevel(new SubwooferModeNode(args));
    spdifCable = addTopLevel(new SpdifCableNode(args));
    inputSource = addTopLevel(new InputSourceNode(args));
    autoInput = addTopLevel(new AutoInputNode(args));
    remoteControlScreen = addTopLevel(new RemoteControlScreenNode(args));
    firmwareVersion = addTopLevel(new FirmwareVersionNode(args));
    pluginVersion = addTopLevel(new PluginVersionNode(args));
    dacModel = addTopLevel(new DacModelNode(args));
    dacAk449x = addTopLevel(new DacAk449xNode(args));
    dacSabre = addTopLevel(new DacSabreNode(args));

    for (int i = 1; i <= analogInputCount; ++i)
        inputNodes.append(addTopLevel(new AnalogInputNode(args, i)));
    for (int i = 1; i <= digitalInputCount; ++i)
        inputNodes.append(addTopLevel(new DigitalInputNode(args, i)));
    for (int i = 1; i <= analogOutputCount; ++i) {
        auto* output =
            addTopLevel(new AnalogOutputNode(args, i, analogInputCount, digitalInputCount));
        outputNodes.append(output);
        xoverNodes.append(output->getXoverNode());
    }
    // Digital outputs have no crossover on the device.
    for (int i = 1; i <= digitalOutputCount; ++i)
        outputNodes.append(
            addTopLevel(new DigitalOutputNode(args, i, analogInputCount, digitalInputCount)));

    const path_segment levelSegment = make_path_segment(SegmentId::Level);
    for (Node* node : qAsConst(allParams)) {
        if (path_segments_equal(node->segment, levelSegment))
            levelParams.append(node);
        else if (node->isSetting())
            settingParams.append(node);
    }
}

// The nodes go first: they may still speak to the hub.
ParamTree::~ParamTree()
{
    qDeleteAll(children);
    children.clear();
}

template <typename T> T* ParamTree::addTopLevel(T* node)
{
    children.append(node);
    return node;
}

QList<Node*>* ParamTree::subsetToList(ParamSubset subset)
{
    switch (subset) {
    case All:
        return &allParams;
    case Levels:
        return &levelParams;
    case Settings:
        return &settingParams;
    }
    return nullptr;
}

Node* ParamTree::getSubsetNode(ParamSubset subset, int index)
{
    const QList<Node*>* list = subsetToList(subset);
    if (!list || index < 0 || index >= list->size())
        return nullptr;
    return list->at(index);
}

Node* ParamTree::getParamNode(ParamSubset subset, int index)
{
    return getSubsetNode(subset, index);
}

bool ParamTree::deserializeParam(ParamSubset subset, int index, const QByteArray& data)
{
    Node* node = getParamNode(subset, index);
    return node && node->deserialize(data);
}

bool ParamTree::restoreParam(int index, const QByteArray& data)
{
    Node* node = getParamNode(All, index);
    if (!node)
        return false;
    hub->setDeviceValuesAsUser(true);
    const bool taken = node->deserialize(data);
    hub->setDeviceValuesAsUser(false);
    return taken;
}

PresetNode* ParamTree::getPresetNode()
{
    return preset;
}

QList<XoverNode*>& ParamTree::getXoverNodes()
{
    return xoverNodes;
}

InputNode* ParamTree::getInputNode(int index)
{
    return index >= 0 && index < inputNodes.size() ? inputNodes.at(index) : nullptr;
}

OutputNode* ParamTree::getOutputNode(int index)
{
    return index >= 0 && index < outputNodes.size() ? outputNodes.at(index) : nullptr;
}

QVector<path_tree_item> ParamTree::constructPathTree()
{
    int next = 0;
    assignPathTreeIndices(next);
    return constructPathSubtree();
}

bool ParamTree::verifyPathTree(const QVector<path_tree_item>& otherTree)
{
    for (int i = 0; i < allParams.size(); ++i) {
        const QByteArray path = allParams.at(i)->makePath();
        const int found =
            find_param_index(otherTree.constData(), otherTree.size(),
                             reinterpret_cast<const uint8_t*>(path.constData()), path.size());
        if (found != i)
            return false;
    }
    return true;
}

void ParamTree::constructJsonDocument(QJsonDocument& document)
{
    QJsonObject object;
    for (const Node* child : qAsConst(children)) {
        if (child->isSetting())
            child->constructJson(object);
    }
    document.setObject(object);
}

QByteArray ParamTree::settingsFileText()
{
    QJsonDocument document;
    constructJsonDocument(document);
    return document.toJson(QJsonDocument::Indented);
}

SettingsLoad ParamTree::readJsonDocument(QJsonDocument& document)
{
    SettingsLoad load;
    if (document.isObject())
        readChildrenJson(document.object(), load);
    return load;
}
