// Every response check of the device protocol over arbitrary frames, the plugin request
// builders over arbitrary offsets, and read-parameter values applied to a full tree as a
// Read All or the level polling does it.
// Input: mode byte (bit 0: level polling instead of Read All), start index, plugin image
// length, plugin offset (4 bytes, little-endian, signed), the image, then frames, each a
// length byte followed by that many bytes.
#include "deviceprotocol.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"

#include <QtEndian>

namespace {

void checkFrame(const QByteArray& frame, const QByteArray& image, qint32 offset)
{
    using P = DeviceProtocol;
    const int n = frame.size();
    const int head = n > 0 ? quint8(frame[0]) : -1;
    const int status = n > 1 ? int(qint8(frame[1])) : 0; // signed, as the device means it

    const P::ReadParamResult read = P::checkReadParamResponse(frame);
    FUZZ_CHECK(read.valid == (n >= 2 && head == 0x01) && read.status == (read.valid ? status : 0));
    FUZZ_CHECK(read.ok == (read.valid && status == 0));
    FUZZ_CHECK(read.value == (read.ok ? frame.mid(2) : QByteArray()));
    FUZZ_CHECK(P::checkWriteParamResponse(frame) == (n >= 2 && head == 0x02 && status == 0));
    const P::WritePluginResult written = P::checkWritePluginResponse(frame);
    FUZZ_CHECK(written.valid == (n == 2 && head == 0x04));
    FUZZ_CHECK(written.code == (written.valid ? status : 0));
    FUZZ_CHECK(written.ok == (written.valid && status == 0));

    // A read-back compares what it carries inside the image; with nothing compared it fails.
    const P::ReadBackResult back = P::checkReadPluginResponse(frame, image, offset);
    const bool inImage = offset >= 0 && offset < image.size();
    const bool accepted = n >= 2 && head == 0x03 && status == 0;
    const int compared = accepted && inImage ? qMin(n - 2, image.size() - offset) : 0;
    FUZZ_CHECK(back.compared == compared);
    FUZZ_CHECK(back.equal ==
               (compared > 0 && frame.mid(2, compared) == image.mid(offset, compared)));

    // Plugin chunks: the image bytes at the offset, zero padding to whole words.
    int chunk = -1;
    const QByteArray plugin = P::writePluginRequest(image, offset, &chunk);
    FUZZ_CHECK(chunk == (inImage ? qMin(P::pluginChunkSize, image.size() - offset) : 0));
    FUZZ_CHECK(plugin.size() == 5 + (chunk + 3) / 4 * 4 && quint8(plugin[0]) == 0x04);
    FUZZ_CHECK(qFromLittleEndian<qint32>(plugin.constData() + 1) == offset);
    FUZZ_CHECK(plugin.mid(5) == image.mid(offset, chunk).leftJustified(plugin.size() - 5, '\0'));
    FUZZ_CHECK(P::readPluginRequest(offset) == plugin.left(5).replace(0, 1, "\x03"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamTree& tree = fuzzParamTree();
    FuzzInput input(data, size);
    const uint8_t mode = input.byte();
    int index = input.byte();
    const int imageLength = input.byte();
    const qint32 offset = qFromLittleEndian<qint32>(input.bytes(4).leftJustified(4, '\0').data());
    const QByteArray image = input.bytes(imageLength);

    // Level polling takes values only while "Read Levels" is on; Read All always does.
    const auto subset = (mode & 1) ? ParamTree::Levels : ParamTree::All;
    const bool apply = !(mode & 1) || (mode & 2);
    const int count = tree.subsetToList(subset)->size();
    for (index %= count; !input.atEnd(); index = (index + 1) % count) {
        const QByteArray frame = input.bytes(input.byte());
        checkFrame(frame, image, offset);
        const DeviceProtocol::ReadParamResult read = DeviceProtocol::checkReadParamResponse(frame);
        Node* node = tree.getParamNode(subset, index);
        FUZZ_CHECK(node);
        const QByteArray before = node->serialize();
        // A reply that is bad or refused leaves the node's value alone.
        if (!(read.ok && apply && tree.deserializeParam(subset, index, read.value)))
            FUZZ_CHECK(node->serialize() == before);
    }
    return 0;
}
