#pragma once

#include "dacnodes.h"
#include "node.h"
#include "paramhub.h"
#include "settingsjson.h"

#include <QJsonDocument>
#include <memory>

class AutoInputNode;
class DacModelNode;
class FirmwareVersionNode;
class InputNode;
class InputSourceNode;
class MasterVolumeNode;
class OutputNode;
class PluginVersionNode;
class PresetNode;
class PresetSourceNode;
class RemoteControlScreenNode;
class SpdifCableNode;
class SubwooferModeNode;
class SubwooferVolumeNode;
class VolumeSourceNode;
class XoverNode;

// The root of the model: every parameter of the device, in the order that fixes each
// parameter's index and path. That order is the contract with the device. Its hub announces
// every change of a value and queues the user's changes for writing.
class ParamTree : public Node
{
public:
    enum ParamSubset
    {
        All = 0,
        Levels = 1,
        Settings = 2,
    };

    // `hub` points at the tree's own hub.
    ParamTree();
    ~ParamTree() override;

    QList<Node*>* subsetToList(ParamSubset subset);
    Node* getSubsetNode(ParamSubset subset, int index);
    Node* getParamNode(ParamSubset subset, int index);
    bool deserializeParam(ParamSubset subset, int index, const QByteArray& data);
    // Sets a parameter (index among all) to a wire value as the user's edit: announced and
    // queued for writing. Undo and paste set values this way. False when the value does not
    // fit the parameter.
    bool restoreParam(int index, const QByteArray& data);

    PresetNode* getPresetNode();
    QList<XoverNode*>& getXoverNodes();
    InputNode* getInputNode(int index);
    OutputNode* getOutputNode(int index);
    int inputCount() const { return inputNodes.size(); }
    int outputCount() const { return outputNodes.size(); }

    QVector<path_tree_item> constructPathTree();
    bool verifyPathTree(const QVector<path_tree_item>& otherTree);

    void constructJsonDocument(QJsonDocument& document);
    // The settings file of the tree's values, byte for byte as every front end saves it.
    QByteArray settingsFileText();
    // Applies the members a saved file holds; every other member is refused. A document
    // that is not an object changes nothing.
    SettingsLoad readJsonDocument(QJsonDocument& document);

    PresetSourceNode* presetSourceNode() const { return presetSource; }
    MasterVolumeNode* masterVolumeNode() const { return masterVolume; }
    VolumeSourceNode* volumeSourceNode() const { return volumeSource; }
    SubwooferVolumeNode* subwooferVolumeNode() const { return subwooferVolume; }
    SubwooferModeNode* subwooferModeNode() const { return subwooferMode; }
    SpdifCableNode* spdifCableNode() const { return spdifCable; }
    InputSourceNode* inputSourceNode() const { return inputSource; }
    RemoteControlScreenNode* remoteControlScreenNode() const { return remoteControlScreen; }
    FirmwareVersionNode* firmwareVersionNode() const { return firmwareVersion; }
    PluginVersionNode* pluginVersionNode() const { return pluginVersion; }
    DacModelNode* dacModelNode() const { return dacModel; }
    DacAk449xNode* dacAk449xNode() const { return dacAk449x; }
    DacSabreNode* dacSabreNode() const { return dacSabre; }

    const int analogInputCount = 0;
    const int digitalInputCount = 2;
    const int analogOutputCount = 8;
    const int digitalOutputCount = 0;

private:
    template <typename T> T* addTopLevel(T* node);

    ParamHub ownHub; // made before the nodes that announce through it
    QList<Node*> allParams;
    QList<Node*> levelParams;
    QList<Node*> settingParams;

    PresetNode* preset = nullptr;
    PresetSourceNode* presetSource = nullptr;
    MasterVolumeNode* masterVolume = nullptr;
    VolumeSourceNode* volumeSource = nullptr;
    SubwooferVolumeNode* subwooferVolume = nullptr;
    SubwooferModeNode* subwooferMode = nullptr;
    SpdifCableNode* spdifCable = nullptr;
    InputSourceNode* inputSource = nullptr;
    AutoInputNode* autoInput = nullptr;
    RemoteControlScreenNode* remoteControlScreen = nullptr;
    FirmwareVersionNode* firmwareVersion = nullptr;
    PluginVersionNode* pluginVersion = nullptr;
    DacModelNode* dacModel = nullptr;
    DacAk449xNode* dacAk449x = nullptr;
    DacSabreNode* dacSabre = nullptr;

    QList<XoverNode*> xoverNodes;
    QList<InputNode*> inputNodes;
    QList<OutputNode*> outputNodes;
};
