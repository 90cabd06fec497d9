// The compressed byte string behind StrCompress and StrDeCompress: the
// uncompressed length as 4 bytes little-endian, then an LHA "-lh5-" bit
// stream (8 KiB sliding dictionary, static Huffman coding per block).
//
// Both functions keep all their working state per call, so any number of
// threads may use them at the same time.
#pragma once

#include <string>
#include <string_view>

namespace zunda::lh5 {

// Compresses all of input. The stream is always complete, so incompressible
// or short input comes out longer than it went in. Empty input gives exactly
// four zero bytes (a length of 0 needs no stream). Throws zunda::Failure when
// the input does not fit the 32-bit length field.
std::string Compress(std::string_view input);

// Reads the length n and decodes the stream until n bytes are produced.
// Safe on any input: damaged or foreign data throws zunda::Failure and
// never yields a partial or padded result.
std::string Decompress(std::string_view data);

}  // namespace zunda::lh5
