#pragma once

class CheckBoxNode;
class ComboBoxNode;
class CustomCheckBox;
class CustomComboBox;
class CustomDoubleSpinBox;
class CustomLineEdit;
class CustomPushButton;
class CustomSlider;
class DoubleSpinBoxNode;
class LabelNode;
class LevelNode;
class QLabel;
class QProgressBar;
class VersionNode;
class VolumeSlider;

// Binds a widget to a node both ways: the widget's finished edit sets the node as the user's
// change, and every change of the node is shown in the widget without a signal from it. The
// widget shows the node's value at once. Widgets showing one node stay in step through the
// node alone. A null node or widget binds nothing; a binding ends with its widget.
namespace ParamBinding {

void bind(DoubleSpinBoxNode* node, CustomDoubleSpinBox* box);
void bind(DoubleSpinBoxNode* node, VolumeSlider* fader);
// A slider of whole steps: it shows the value truncated.
void bind(DoubleSpinBoxNode* node, CustomSlider* slider);
void bind(CheckBoxNode* node, CustomCheckBox* box);
void bind(CheckBoxNode* node, CustomPushButton* button);
void bind(ComboBoxNode* node, CustomComboBox* box);
void bind(LabelNode* node, CustomLineEdit* edit);
// Read-only views.
void bind(LevelNode* node, QProgressBar* bar);
// The fader's meter; it shows a level only once the device reported one.
void bindMeter(LevelNode* node, VolumeSlider* fader);
void bind(VersionNode* node, QLabel* label);

} // namespace ParamBinding
