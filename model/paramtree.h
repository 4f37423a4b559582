#pragma once

#include "dacnodes.h"
#include "node.h"
#include "settingsjson.h"

#include <QJsonDocument>
#include <memory>

class AutoInputNode;
class CustomCheckBox;
class CustomComboBox;
class CustomDoubleSpinBox;
class DacModelNode;
class FirmwareVersionNode;
class InputNode;
class InputSourceNode;
class MasterVolumeNode;
class OutputNode;
class PluginVersionNode;
class PresetNode;
class PresetSourceNode;
class QLabel;
class RemoteControlScreenNode;
class SpdifCableNode;
class SubwooferModeNode;
class SubwooferVolumeNode;
class TreeWidget;
class VolumeSlider;
class VolumeSourceNode;
class XoverNode;

// Controls of the remote tab, in the order they are bound.
struct RemoteControlBindings
{
    CustomComboBox* volumeSource = nullptr;
    CustomComboBox* presetSource = nullptr;
    CustomComboBox* screen = nullptr;
    CustomComboBox* subwooferMode = nullptr;
    CustomDoubleSpinBox* subwooferVolume = nullptr;
};

// The root of the model: every parameter of the device, in the order that fixes each
// parameter's index and path. That order is the contract with the device.
class ParamTree : public Node
{
public:
    enum ParamSubset
    {
        All = 0,
        Levels = 1,
        Settings = 2,
    };

    explicit ParamTree(TreeWidget* treeWidget);
    ~ParamTree() override;
    void anchor() override;

    QList<Node*>* subsetToList(ParamSubset subset);
    Node* getSubsetNode(ParamSubset subset, int index);
    Node* getParamNode(ParamSubset subset, int index);
    bool deserializeParam(ParamSubset subset, int index, const QByteArray& data);

    PresetNode* getPresetNode();
    QList<XoverNode*>& getXoverNodes();
    InputNode* getInputNode(int index);
    OutputNode* getOutputNode(int index);
    int inputCount() const { return inputNodes.size(); }
    int outputCount() const { return outputNodes.size(); }

    QVector<path_tree_item> constructPathTree();
    bool verifyPathTree(const QVector<path_tree_item>& otherTree);

    void constructJsonDocument(QJsonDocument& document);
    // Applies the members a saved file holds; every other member is refused. A document
    // that is not an object changes nothing.
    SettingsLoad readJsonDocument(QJsonDocument& document);

    void bind(CustomDoubleSpinBox* masterSpin, VolumeSlider* masterSlider,
              CustomComboBox* volumeSourceCombo, CustomComboBox* spdifCableCombo);
    void bindPreset(CustomComboBox* presetCombo, CustomComboBox* inputSourceCombo);
    void bindVersions(std::shared_ptr<QLabel> firmwareLabel, std::shared_ptr<QLabel> pluginLabel);
    void bindDacModel(std::shared_ptr<QLabel> label);
    void bind(const DacAk449xNode::Bindings& bindings);
    void bind(const DacSabreNode::Bindings& bindings);
    void bind(const RemoteControlBindings& bindings);
    void bindSubwooferChannel(int outputIndex, CustomCheckBox* checkBox);

    const int analogInputCount = 0;
    const int digitalInputCount = 2;
    const int analogOutputCount = 8;
    const int digitalOutputCount = 0;

private:
    template <typename T> T* addTopLevel(T* node);

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
