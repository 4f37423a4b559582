#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <optional>

// Parameters waiting to be written to the device, by parameter index, oldest first.
// A parameter waits at most once: edits made before its turn cost no further write,
// because the write carries whatever value the node holds by then.
class UpdateQueue : public QObject
{
    Q_OBJECT
public:
    explicit UpdateQueue(QObject* parent = nullptr);

    // Queues the index unless it is already waiting; announces it either way, so the
    // device link wakes up for every edit.
    void enqueue(int paramIndex);
    // The oldest waiting index, taken off the queue; nothing when the queue is empty.
    std::optional<int> dequeue();
    void clear();
    bool isEmpty() const { return queue.isEmpty(); }
    int size() const { return queue.size(); }
    // Whether the parameter waits to be written: the user changed it since it was last sent.
    bool contains(int paramIndex) const { return queued.contains(paramIndex); }

Q_SIGNALS:
    void paramEnqueued();

private:
    QList<int> queue;
    QSet<int> queued; // the same indices, for a constant-time "already waiting?"
};
