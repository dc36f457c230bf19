// The update service's HTTP answers as they arrive, in pieces of any size,
// one after another on a kept connection: an answer read whole has a final
// status and a body no larger than the limit; nothing makes the reader ask
// for bytes past the end of the connection forever.
#include "fuzzsupport.h"
#include "httpanswerreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets how many bytes each read brings, and whether the
    // server closes the connection at the end or just falls silent.
    const qsizetype piece = data[0] % 64 + 1;
    const bool closesAtEnd = data[0] & 0x80;
    const QByteArray stream = Fuzz::bytes(data + 1, size - 1);
    qsizetype at = 0;
    int askedPastEnd = 0;
    CHttpAnswerReader reader([&](QByteArray& into) {
        if (at >= stream.size()) {
            Fuzz::require(++askedPastEnd < 4);
            return closesAtEnd ? CHttpAnswerReader::Fill::Closed : CHttpAnswerReader::Fill::Silent;
        }
        into += stream.mid(at, piece);
        at += piece;
        return CHttpAnswerReader::Fill::Data;
    });
    for (int answers = 0; answers < 16; ++answers) {
        bool keepOpen = false;
        const HttpAnswer answer = reader.read(keepOpen);
        if (answer.outcome != HttpAnswer::Outcome::Answered)
            break;
        Fuzz::require(answer.status >= 200 && answer.status <= 999);
        Fuzz::require(answer.body.size() <= CHttpAnswerReader::kMaxBody);
        if (!keepOpen)
            break;
        askedPastEnd = 0;
    }
    return 0;
}
