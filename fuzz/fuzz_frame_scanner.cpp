// The receive scanner against any byte stream cut into any pieces: the frames it reports and
// their verdicts must not depend on where the stream was cut, nor on whether it is fed a piece or
// a byte at a time, and its buffer stays bounded.
#include "FuzzInput.h"
#include "link/FrameCodec.h"

#include <cstdlib>
#include <utility>
#include <vector>

using namespace qemra;

namespace {

using Checked = std::vector<std::pair<bool, QByteArray>>;

Checked ScanByteByByte(const QByteArray& bytes)
{
    FrameScanner scanner;
    Checked checked;
    scanner.SetOnChecked([&](bool good) { checked.emplace_back(good, scanner.RxBuf()); });
    for (const char c : bytes)
        scanner.Feed(c);
    return checked;
}

Checked Scan(const std::vector<QByteArray>& pieces)
{
    FrameScanner scanner;
    Checked checked;
    scanner.SetOnChecked([&](bool good) { checked.emplace_back(good, scanner.RxBuf()); });
    for (const QByteArray& piece : pieces) {
        scanner.Feed(piece);
        if (scanner.RxBuf().size() > kMaxRxBufLength)
            std::abort();
    }
    if (scanner.RxBuf().size() > kMaxRxBufLength)
        std::abort();
    return checked;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Each piece is a length byte followed by that many bytes of the stream.
    FuzzInput input(data, size);
    std::vector<QByteArray> pieces;
    QByteArray whole;
    while (!input.Empty()) {
        std::size_t n = input.Byte();
        const std::uint8_t* bytes = input.Take(n);
        pieces.emplace_back(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(n));
        whole += pieces.back();
    }
    const Checked split = Scan(pieces);
    const Checked joined = Scan({whole});
    if (split != joined || joined != ScanByteByByte(whole))
        std::abort();
    for (const auto& [good, buffer] : joined) {
        // A good frame verifies: its bytes and the checksum taken from the stream sum to zero.
        if (good && buffer.isEmpty())
            std::abort();
    }
    return 0;
}
