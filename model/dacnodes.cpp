#include "dacnodes.h"

#include "segmentid.h"

Ak449xFilterNode::Ak449xFilterNode(const NodeArgs& args, const QString& name, path_segment segment)
    : ComboBoxNode(args, name, segment,
                   {QStringLiteral("Sharp roll-off"), QStringLiteral("Slow roll-off"),
                    QStringLiteral("Short delay sharp roll-off"),
                    QStringLiteral("Short delay Slow roll-off")},
                   2)
{}

// The device reports these option texts; the fifth keeps its odd spacing on purpose.
SabreFilterNode::SabreFilterNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("Filter"), make_path_segment(SegmentId::SabreFilter),
                   {QStringLiteral("Fast roll-off minimum phase"),
                    QStringLiteral("Slow roll-off minimum phase"),
                    QStringLiteral("Slow roll-off linear phase"),
                    QStringLiteral("Fast roll-off linear phase"), QStringLiteral("Brick  wall "),
                    QStringLiteral("Hybrid fast minimum phase"),
                    QStringLiteral("Apodizing fast linear phase")},
                   0)
{}

SabreHarmonicNode::SabreHarmonicNode(const NodeArgs& args, const QString& name,
                                     path_segment segment)
    : DoubleSpinBoxNode(args, name, segment, {-100.0, 100.0, 1.0, 0.0, QString(), 0})
{}

SabreAddFilterNode::SabreAddFilterNode(const NodeArgs& args)
    : DoubleSpinBoxNode(args, QStringLiteral("ADD Filter"),
                        make_path_segment(SegmentId::SabreAddFilter),
                        {0.0, 4.0, 1.0, 0.0, QString(), 0})
{}

// The group keeps a handle on each child it binds; `children` owns them.
template <typename T> static T* adopt(Node* group, T* child)
{
    group->children.append(child);
    return child;
}

DacAk449xNode::DacAk449xNode(const NodeArgs& args)
    : Node(args, QStringLiteral("DAC AK449X"), make_path_segment(SegmentId::DacAk449x), QString())
{
    const NodeArgs own = childArgs(args);
    const char* names[4] = {"Ch 1-2 Filter", "Ch 3-4 Filter", "Ch 5-6 Filter", "Ch 7-8 Filter"};
    for (int i = 0; i < 4; ++i) {
        filters[i] =
            adopt(this, new Ak449xFilterNode(own, QString::fromLatin1(names[i]),
                                             make_path_segment(SegmentId::Ak449xFilter + i)));
    }
}

DacSabreNode::DacSabreNode(const NodeArgs& args)
    : Node(args, QStringLiteral("DAC SABRE"), make_path_segment(SegmentId::DacSabre), QString())
{
    const NodeArgs own = childArgs(args);
    filter = adopt(this, new SabreFilterNode(own));
    harmonic2nd =
        adopt(this, new SabreHarmonicNode(own, QStringLiteral("2nd Harmonic"),
                                          make_path_segment(SegmentId::SabreHarmonic2nd)));
    harmonic3rd =
        adopt(this, new SabreHarmonicNode(own, QStringLiteral("3rd Harmonic"),
                                          make_path_segment(SegmentId::SabreHarmonic3rd)));
    addFilter = adopt(this, new SabreAddFilterNode(own));
}
