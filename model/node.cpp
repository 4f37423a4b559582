#include "node.h"

#include "paramhub.h"
#include "settingsjson.h"

Node::Node() = default;

Node::Node(const NodeArgs& args, const QString& name, path_segment segment, QString typeTag)
    : hub(args.hub), name(name), parent(args.parent), segment(segment), typeTag(std::move(typeTag))
{}

// Children are owned by their parent.
Node::~Node()
{
    qDeleteAll(children);
}

QByteArray Node::serialize() const
{
    return QByteArray();
}

bool Node::deserialize(const QByteArray&)
{
    return false;
}

void Node::constructJson(QJsonObject& parent) const
{
    QJsonObject object;
    for (const Node* child : children) {
        if (child->isSetting())
            child->constructJson(object);
    }
    parent.insert(name, object);
}

void Node::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    const QJsonValue member = parent.value(name);
    if (member.isUndefined())
        return;
    if (member.isObject())
        readChildrenJson(member.toObject(), load);
    else
        load.refuse(this);
}

void Node::readChildrenJson(const QJsonObject& object, SettingsLoad& load)
{
    QStringList known;
    for (Node* child : qAsConst(children)) {
        if (child->isSetting()) {
            child->readJson(object, load);
            known.append(child->name);
        }
    }
    load.refuseOthers(this, object, known);
}

QByteArray Node::makePath() const
{
    if (!parent)
        return QByteArray();
    uint8_t bytes[2];
    const int count = serialize_path_segment(segment, bytes);
    return parent->makePath() + QByteArray(reinterpret_cast<const char*>(bytes), count);
}

QString Node::getCallbackName() const
{
    if (!parent)
        return QString();
    QString own = name;
    own.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char('-'), QLatin1Char('_'));
    return parent->getCallbackName() + own + QStringLiteral("__");
}

QString Node::getParentName()
{
    return parent ? parent->name : QString();
}

path_segment Node::getParentPathSegment() const
{
    return parent ? parent->segment : NULL_PATH_SEGMENT;
}

void Node::assignPathTreeIndices(int& next)
{
    int count = 0;
    for (const Node* child : children) {
        if (path_segment_not_null(child->segment))
            ++count;
    }
    if (count == 0) {
        childListIndex = 0;
        return;
    }
    childListIndex = next;
    next += count + 1;
    for (Node* child : children) {
        if (path_segment_not_null(child->segment))
            child->assignPathTreeIndices(next);
    }
}

QVector<path_tree_item> Node::constructPathSubtree()
{
    QVector<path_tree_item> items;
    for (const Node* child : children) {
        if (!path_segment_not_null(child->segment))
            continue;
        if (child->paramIndex < 0)
            items.append(make_path_tree_node(child->segment, unsigned(child->childListIndex)));
        else
            items.append(make_path_tree_leaf(child->segment, unsigned(child->paramIndex)));
    }
    items.append(NULL_PATH_TREE_ITEM);
    for (Node* child : children) {
        if (path_segment_not_null(child->segment) && child->childListIndex > 0)
            items += child->constructPathSubtree();
    }
    return items;
}

NodeArgs Node::childArgs(const NodeArgs& own)
{
    NodeArgs args;
    args.parent = this;
    args.params = own.params;
    args.hub = own.hub;
    return args;
}

void Node::registerParam(const NodeArgs& args)
{
    paramIndex = args.params->size();
    args.params->append(this);
}

void Node::announce(ChangeSource source)
{
    if (hub && paramIndex >= 0)
        hub->announce(paramIndex, source);
}
