#pragma once

#include "comboboxnode.h"
#include "doublespinboxnode.h"

class CustomComboBox;
class CustomDoubleSpinBox;
class CustomSlider;

class Ak449xFilterNode : public ComboBoxNode
{
public:
    Ak449xFilterNode(const NodeArgs& args, const QString& name, path_segment segment);
    void anchor() override;
};

class SabreFilterNode : public ComboBoxNode
{
public:
    explicit SabreFilterNode(const NodeArgs& args);
    void anchor() override;
};

class SabreHarmonicNode : public DoubleSpinBoxNode
{
public:
    SabreHarmonicNode(const NodeArgs& args, const QString& name, path_segment segment);
    void anchor() override;
};

class SabreAddFilterNode : public DoubleSpinBoxNode
{
public:
    explicit SabreAddFilterNode(const NodeArgs& args);
    void anchor() override;
};

// Filter settings of the AK449x DAC family: one filter per channel pair.
class DacAk449xNode : public Node
{
public:
    struct Bindings
    {
        CustomComboBox* ch12Filter = nullptr;
        CustomComboBox* ch34Filter = nullptr;
        CustomComboBox* ch56Filter = nullptr;
        CustomComboBox* ch78Filter = nullptr;
    };

    explicit DacAk449xNode(const NodeArgs& args);
    void anchor() override;
    void bind(const Bindings& bindings);

private:
    Ak449xFilterNode* filters[4] = {};
};

// Filter and harmonic settings of the Sabre DAC family.
class DacSabreNode : public Node
{
public:
    struct Bindings
    {
        CustomComboBox* filter = nullptr;
        CustomDoubleSpinBox* harmonic2ndValue = nullptr;
        CustomDoubleSpinBox* harmonic3rdValue = nullptr;
        CustomSlider* harmonic2ndSlider = nullptr;
        CustomSlider* harmonic3rdSlider = nullptr;
    };

    explicit DacSabreNode(const NodeArgs& args);
    void anchor() override;
    void bind(const Bindings& bindings);

private:
    SabreFilterNode* filter = nullptr;
    SabreHarmonicNode* harmonic2nd = nullptr;
    SabreHarmonicNode* harmonic3rd = nullptr;
    SabreAddFilterNode* addFilter = nullptr; // edited in the tree view only
};
