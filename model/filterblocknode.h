#pragma once

#include "node.h"
#include "settingsjson.h"

#include <cstring>

// A filter the device takes as one packed block: its parameters followed by the sections
// designed from them. The EQ band and each crossover side are this with their own types.
template <typename Params, typename Coeffs, typename Repr, Coeffs (*design)(Params)>
class FilterBlockNode : public Node
{
public:
    using Node::Node;

    // Zeroed first, so that fields the parameters leave alone go out as zeros, not as stack.
    QByteArray serialize() const override
    {
        Repr repr;
        std::memset(&repr, 0, sizeof repr);
        params.toRepr(repr);
        coeffs.toRepr(repr);
        return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
    }

    bool deserialize(const QByteArray& data) override
    {
        if (data.size() != int(sizeof(Repr)))
            return false;
        Repr repr;
        std::memcpy(&repr, data.constData(), sizeof repr);
        Params decoded;
        if (!decoded.fromRepr(repr) || !fitFromDevice(decoded))
            return false;
        Coeffs sections;
        sections.fromRepr(repr);
        take(decoded, sections, ChangeSource::Device);
        return true;
    }

    const Coeffs& coefficients() const { return coeffs; }

protected:
    // Whether parameters the device sent can be taken; may set what the node decides itself.
    virtual bool fitFromDevice(Params& decoded) const = 0;

    void take(const Params& newParams, const Coeffs& newCoeffs, ChangeSource source)
    {
        params = newParams;
        coeffs = newCoeffs;
        announce(source);
    }

    // Parameters read from the settings file bring their own design. One that is not finite
    // refuses the node whole: the device would get a section that is not a filter.
    void takeFromFile(const Params& loaded, SettingsLoad& load)
    {
        const Coeffs designed = design(loaded);
        if (!isFinite(designed)) {
            load.refuse(this);
            return;
        }
        take(loaded, designed, ChangeSource::File);
        load.accept(this);
    }

    Params params;
    Coeffs coeffs;
};
