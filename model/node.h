#pragma once

#include "changesource.h"
#include "pathaddress.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVector>

class Node;
class ParamHub;
struct SettingsLoad;

// What every node constructor gets; each inner node rebuilds it for its children.
struct NodeArgs
{
    Node* parent = nullptr;
    QList<Node*>* params = nullptr; // the tree-wide parameter list, owned by ParamTree
    ParamHub* hub = nullptr;        // owned by ParamTree
};

class Node
{
public:
    Node();
    Node(const NodeArgs& args, const QString& name, path_segment segment, QString typeTag);
    virtual ~Node();

    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    virtual QByteArray serialize() const;
    virtual bool deserialize(const QByteArray& data);
    virtual void constructJson(QJsonObject& parent) const;
    // Takes this node's member of a settings-file object, if there is one, and records in
    // `load` whether it was taken or refused.
    virtual void readJson(const QJsonObject& parent, SettingsLoad& load);

    QByteArray makePath() const;
    QString getCallbackName() const;
    QString getParentName();
    path_segment getParentPathSegment() const;
    void assignPathTreeIndices(int& next);
    QVector<path_tree_item> constructPathSubtree();

    // The bundle an inner node hands to its children.
    NodeArgs childArgs(const NodeArgs& own);
    // Persistent and not read-only: takes part in the settings file and the Settings subset.
    bool isSetting() const { return persistent && !readOnly; }

    int paramIndex = -1;
    ParamHub* hub = nullptr;
    QList<Node*> children;
    bool persistent = true;
    bool readOnly = false;
    int childListIndex = -1;
    QString name;
    Node* parent = nullptr;
    path_segment segment = NULL_PATH_SEGMENT;
    QString typeTag;

protected:
    // Hands a settings-file object to the children that take part in the file and refuses
    // the members none of them takes, so a file sets nothing that is never written.
    void readChildrenJson(const QJsonObject& object, SettingsLoad& load);
    // Appends the node to the parameter list, so indices count up in construction order
    // with no gaps.
    void registerParam(const NodeArgs& args);
    // Tells the hub that this parameter's value was set.
    void announce(ChangeSource source);
};
