// Values from the device and from files that the fuzz targets found mishandled, checked
// where a reader would look for them.
#include "doublespinboxnode.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqnode.h"
#include "peqsnode.h"
#include "treewidget.h"
#include "xoverfilternode.h"
#include "xovernode.h"

#include <QDoubleSpinBox>
#include <QJsonObject>
#include <QtTest>
#include <cstring>
#include <limits>

namespace {

QByteArray floatBytes(float value)
{
    QByteArray bytes(4, 0);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

} // namespace

class TestHostileValues : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A value that rounds to zero is a plain zero: the box shows "0.0" either way, but a
    // negative zero went back to the device as 80 00 00 00.
    void tinyNegativeVolumeIsZero()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        auto* master = dynamic_cast<DoubleSpinBoxNode*>(tree.getParamNode(ParamTree::All, 2));
        QVERIFY(master);
        QCOMPARE(master->name, QStringLiteral("Master Volume"));
        auto* box = qobject_cast<QDoubleSpinBox*>(hub.itemWidget(master->treeItem, 1));
        QVERIFY(box);

        QVERIFY(master->deserialize(QByteArray::fromHex("00606088"))); // -6.8e-34
        QCOMPARE(master->serialize().toHex(), QByteArray("00000000"));
        QVERIFY(!box->text().contains(QLatin1Char('-')));
        QVERIFY(master->deserialize(QByteArray::fromHex("00000080"))); // -0.0
        QCOMPARE(master->serialize().toHex(), QByteArray("00000000"));

        master->readJson(QJsonObject{{QStringLiteral("Master Volume"), -1e-9}});
        QCOMPARE(master->serialize().toHex(), QByteArray("00000000"));
        QVERIFY(!box->text().contains(QLatin1Char('-')));
        master->readJson(QJsonObject{{QStringLiteral("Master Volume"), -0.06}});
        QCOMPARE(master->value(), -0.1); // still rounds away from zero as before
    }

    // A filter whose numbers are not finite is refused whole and keeps its values.
    void nonFiniteFiltersAreRefused()
    {
        TreeWidget hub;
        ParamTree tree(&hub);
        OutputNode* output = tree.getOutputNode(0);
        const std::optional<PEQNode*> found = output->getPEQSNode()->getPEQNode(0);
        QVERIFY(found && *found);
        PEQNode* band = *found;
        const QByteArray bandBefore = band->serialize();
        QCOMPARE(bandBefore.size(), 33);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        for (int field = 0; field < 3; ++field) { // gain, frequency, Q
            for (float bad : {nan, inf, -inf}) {
                QByteArray value = bandBefore;
                value.replace(1 + 4 * field, 4, floatBytes(bad));
                QVERIFY(!band->deserialize(value));
                QCOMPARE(band->serialize(), bandBefore);
            }
        }
        QByteArray good = bandBefore;
        good.replace(5, 4, floatBytes(1000.0f));
        QVERIFY(band->deserialize(good));

        XoverFilterNode* highpass = output->getXoverNode()->filter(true);
        QVERIFY(highpass);
        const QByteArray before = highpass->serialize();
        QCOMPARE(before.size(), 86);
        for (float bad : {nan, inf, -inf}) {
            QByteArray value = before;
            value.replace(2, 4, floatBytes(bad));
            QVERIFY(!highpass->deserialize(value));
            QCOMPARE(highpass->serialize(), before);
        }
    }
};

QTEST_MAIN(TestHostileValues)
#include "test_hostilevalues.moc"
