#include "files/core/line_reader.h"

#include <vector>

namespace zunda::core {

std::string ReadLine(ByteSource& source) {
    const std::uint64_t start = source.Position();
    std::string line;
    std::vector<char> buffer(4096);
    std::uint64_t consumed = 0;
    for (;;) {
        size_t got = source.Read(buffer.data(), buffer.size());
        if (got == 0) {
            consumed = line.size();  // the last line, without a line end
            break;
        }
        size_t i = 0;
        while (i < got && buffer[i] != '\r' && buffer[i] != '\n') ++i;
        line.append(buffer.data(), i);
        if (i == got) continue;
        consumed = line.size() + 1;
        if (buffer[i] == '\r') {
            // CR LF is one line end, even when the LF starts the next block.
            char next = 0;
            if (i + 1 < got) {
                next = buffer[i + 1];
            } else if (source.Read(&next, 1) != 1) {
                next = 0;
            }
            if (next == '\n') ++consumed;
        }
        break;
    }
    source.SetPosition(start + consumed);
    return line;
}

}  // namespace zunda::core
