// Mail-server replies as they arrive, in pieces of any size: every reply
// taken is whole lines ending in a line feed with a three-digit code, and
// nothing is lost or invented between what came and what was taken.
#include "fuzzsupport.h"
#include "smtplink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets how many bytes each read of the socket brings.
    const size_t piece = data[0] % 64 + 1;
    const QByteArray stream = Fuzz::bytes(data + 1, size - 1);
    QByteArray received, reply, taken;
    for (qsizetype at = 0; at < stream.size(); at += qsizetype(piece)) {
        received += stream.mid(at, qsizetype(piece));
        while (true) {
            int code = -1;
            const CSmtpLink::ReplyScan scan = CSmtpLink::scanReply(received, reply, code);
            if (scan == CSmtpLink::ReplyScan::Incomplete)
                break;
            Fuzz::require(reply.endsWith('\n'));
            if (scan == CSmtpLink::ReplyScan::Complete) {
                Fuzz::require(code >= 0 && code <= 999);
                CSmtpLink::authMechanisms(reply.toUpper());
            }
            taken += reply;
            reply.clear();
            if (scan == CSmtpLink::ReplyScan::Garbage)
                break;
        }
    }
    Fuzz::require(taken + reply + received == stream);
    return 0;
}
