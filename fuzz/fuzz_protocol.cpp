// Every response check of the device protocol over arbitrary frames, the request builders
// over arbitrary paths, values and plugin offsets, and read-parameter values applied to a
// full tree as a Read All or the level polling does it.
// Input: mode byte (bit 0: level polling instead of Read All), start index, plugin image
// length, plugin offset (4 bytes, little-endian, signed), the image, then frames, each a
// length byte followed by that many bytes.
#include "deviceprotocol.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "paramtree.h"
#include "treewidget.h"

#include <QtEndian>

namespace {

struct Model
{
    TreeWidget hub;
    ParamTree tree{&hub};
};

ParamTree& paramTree()
{
    ensureApplication();
    static Model* model = new Model;
    return model->tree;
}

int byteAt(const QByteArray& frame, int i)
{
    return quint8(frame.at(i));
}

void checkResponses(const QByteArray& frame, const QByteArray& image, qint32 offset)
{
    const int n = frame.size();

    const DeviceProtocol::ReadParamResult read = DeviceProtocol::checkReadParamResponse(frame);
    FUZZ_CHECK(read.valid == (n >= 2 && byteAt(frame, 0) == 0x01));
    FUZZ_CHECK(read.status == (read.valid ? int(qint8(frame.at(1))) : 0));
    FUZZ_CHECK(read.ok == (read.valid && read.status == 0));
    FUZZ_CHECK(read.value == (read.ok ? frame.mid(2) : QByteArray()));

    FUZZ_CHECK(DeviceProtocol::checkWriteParamResponse(frame) ==
               (n >= 2 && byteAt(frame, 0) == 0x02 && byteAt(frame, 1) == 0));

    const DeviceProtocol::WritePluginResult written =
        DeviceProtocol::checkWritePluginResponse(frame);
    FUZZ_CHECK(written.valid == (n == 2 && byteAt(frame, 0) == 0x04));
    FUZZ_CHECK(written.code == (written.valid ? int(qint8(frame.at(1))) : 0));
    FUZZ_CHECK(written.ok == (written.valid && written.code == 0));

    const DeviceProtocol::ReadBackResult back =
        DeviceProtocol::checkReadPluginResponse(frame, image, offset);
    const bool accepted = n >= 2 && byteAt(frame, 0) == 0x03 && byteAt(frame, 1) == 0;
    const bool inImage = offset >= 0 && offset < image.size();
    const int compared = accepted && inImage ? qMin(n - 2, image.size() - offset) : 0;
    FUZZ_CHECK(back.compared == compared);
    FUZZ_CHECK(back.equal ==
               (compared > 0 && frame.mid(2, compared) == image.mid(offset, compared)));
}

void checkBuilders(const QByteArray& bytes, const QByteArray& image, qint32 offset)
{
    const QByteArray read = DeviceProtocol::readParamRequest(bytes);
    FUZZ_CHECK(read.size() == 2 + bytes.size());
    FUZZ_CHECK(byteAt(read, 0) == 0x01 && byteAt(read, 1) == (bytes.size() & 0xFF));
    FUZZ_CHECK(read.mid(2) == bytes);

    const QByteArray write = DeviceProtocol::writeParamRequest(bytes, image);
    FUZZ_CHECK(write == QByteArray(1, '\x02') + char(bytes.size() & 0xFF) + bytes + image);

    int chunk = -1;
    const QByteArray plugin = DeviceProtocol::writePluginRequest(image, offset, &chunk);
    const bool inImage = offset >= 0 && offset < image.size();
    const int expected = inImage ? qMin(DeviceProtocol::pluginChunkSize, image.size() - offset) : 0;
    FUZZ_CHECK(chunk == expected);
    FUZZ_CHECK(byteAt(plugin, 0) == 0x04);
    FUZZ_CHECK(qFromLittleEndian<qint32>(plugin.constData() + 1) == offset);
    FUZZ_CHECK(plugin.mid(5, chunk) == image.mid(inImage ? offset : 0, chunk));
    const int padding = plugin.size() - 5 - chunk;
    FUZZ_CHECK(padding >= 0 && padding < 4);
    FUZZ_CHECK(chunk == DeviceProtocol::pluginChunkSize ? padding == 0
                                                        : (chunk + padding) % 4 == 0);
    FUZZ_CHECK(plugin.mid(5 + chunk) == QByteArray(padding, '\0'));

    const QByteArray readBack = DeviceProtocol::readPluginRequest(offset);
    FUZZ_CHECK(readBack.size() == 5 && byteAt(readBack, 0) == 0x03);
    FUZZ_CHECK(qFromLittleEndian<qint32>(readBack.constData() + 1) == offset);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamTree& tree = paramTree();
    FuzzInput input(data, size);
    const uint8_t mode = input.byte();
    int index = input.byte();
    const int imageLength = input.byte();
    const QByteArray offsetBytes = input.bytes(4).leftJustified(4, '\0');
    const qint32 offset = qFromLittleEndian<qint32>(offsetBytes.constData());
    const QByteArray image = input.bytes(imageLength);

    // Level polling takes values only while "Read Levels" is on; Read All always does.
    const auto subset = (mode & 1) ? ParamTree::Levels : ParamTree::All;
    const bool apply = !(mode & 1) || (mode & 2);
    const int count = tree.subsetToList(subset)->size();
    index %= count;

    while (!input.atEnd()) {
        const QByteArray frame = input.bytes(input.byte());
        checkResponses(frame, image, offset);
        checkBuilders(frame, image, offset);

        const DeviceProtocol::ReadParamResult read = DeviceProtocol::checkReadParamResponse(frame);
        Node* node = tree.getParamNode(subset, index);
        FUZZ_CHECK(node);
        const QByteArray before = node->serialize();
        const bool changed = read.ok && apply && tree.deserializeParam(subset, index, read.value);
        // A reply that is bad or refused leaves the node's value alone.
        if (!changed)
            FUZZ_CHECK(node->serialize() == before);
        index = (index + 1) % count;
    }
    return 0;
}
