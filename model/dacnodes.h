#pragma once

#include "comboboxnode.h"
#include "doublespinboxnode.h"

class Ak449xFilterNode : public ComboBoxNode
{
public:
    Ak449xFilterNode(const NodeArgs& args, const QString& name, path_segment segment);
};

class SabreFilterNode : public ComboBoxNode
{
public:
    explicit SabreFilterNode(const NodeArgs& args);
};

class SabreHarmonicNode : public DoubleSpinBoxNode
{
public:
    SabreHarmonicNode(const NodeArgs& args, const QString& name, path_segment segment);
};

class SabreAddFilterNode : public DoubleSpinBoxNode
{
public:
    explicit SabreAddFilterNode(const NodeArgs& args);
};

// Filter settings of the AK449x DAC family: one filter per channel pair.
class DacAk449xNode : public Node
{
public:
    explicit DacAk449xNode(const NodeArgs& args);
    // The filter of channels 1-2, 3-4, 5-6 or 7-8.
    Ak449xFilterNode* filterNode(int pair) const { return filters[pair]; }

private:
    Ak449xFilterNode* filters[4] = {};
};

// Filter and harmonic settings of the Sabre DAC family.
class DacSabreNode : public Node
{
public:
    explicit DacSabreNode(const NodeArgs& args);
    SabreFilterNode* filterNode() const { return filter; }
    SabreHarmonicNode* harmonic2ndNode() const { return harmonic2nd; }
    SabreHarmonicNode* harmonic3rdNode() const { return harmonic3rd; }

private:
    SabreFilterNode* filter = nullptr;
    SabreHarmonicNode* harmonic2nd = nullptr;
    SabreHarmonicNode* harmonic3rd = nullptr;
    SabreAddFilterNode* addFilter = nullptr; // edited in the tree view only
};
