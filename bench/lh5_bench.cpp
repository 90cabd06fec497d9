// Compression ratio and speed of the lh5 codec against zlib (raw deflate,
// level 6, 32 KiB window) on the same inputs in the same run.
//
// Inputs: a text corpus of at least 10 MB gathered from text files on this
// machine (headers and documentation; generated text makes up any shortfall)
// and random bytes. Each corpus is run as one buffer and in 4 KiB pieces,
// the size of the strings a script usually passes.
//
//   lh5_bench [megabytes of text, default 12]

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/failure.h"
#include "text/core/lh5.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool LooksLikeText(const std::string& s) {
    if (s.empty()) return false;
    std::size_t odd = 0;
    for (unsigned char c : s) {
        if (c == 0) return false;
        if (c < 9 || (c > 13 && c < 32)) ++odd;
    }
    return odd * 100 < s.size();
}

bool SkippedExtension(const fs::path& p) {
    static const char* const kSkip[] = {".gz", ".bz2", ".xz", ".zst", ".lz", ".z", ".zip", ".png", ".jpg",
                                        ".gif", ".pdf", ".ico", ".svgz", ".jar", ".woff", ".ttf"};
    const std::string ext = p.extension().string();
    for (const char* s : kSkip)
        if (ext == s) return true;
    return false;
}

std::vector<fs::path> FilesUnder(const char* root) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec) || it->is_symlink(fec)) continue;
        const auto size = it->file_size(fec);
        if (fec || size == 0 || size > (1u << 20) || SkippedExtension(it->path())) continue;
        files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Headers and documentation taken in turns, so neither kind dominates.
std::string GatherText(std::size_t want) {
    const std::vector<fs::path> lists[] = {FilesUnder("/usr/include"), FilesUnder("/usr/share/doc")};
    std::string text;
    for (std::size_t i = 0; text.size() < want; ++i) {
        bool any = false;
        for (const auto& files : lists) {
            if (i >= files.size()) continue;
            any = true;
            std::ifstream f(files[i], std::ios::binary);
            std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            if (LooksLikeText(s)) text += s;
        }
        if (!any) break;
    }
    if (text.size() < want) {
        std::fprintf(stderr, "only %zu bytes of text files found; generating the rest\n", text.size());
        static const char* const kWords[] = {"the", "of", "and", "string", "compress", "window", "table",
                                             "value", "is", "a", "to", "in", "data", "Huffman", "code",
                                             "block", "returns", "length", "file", "for", "with", "error"};
        std::mt19937 rng(7);
        std::size_t col = 0;
        while (text.size() < want) {
            const char* w = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
            text += w;
            col += std::char_traits<char>::length(w) + 1;
            if (col > 70) {
                text += ".\n";
                col = 0;
            } else {
                text += ' ';
            }
        }
    }
    text.resize(want);
    return text;
}

std::string ZlibCompress(std::string_view in, int windowBits) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    std::string out(deflateBound(&z, in.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string ZlibDecompress(std::string_view in, std::size_t size, int windowBits) {
    z_stream z{};
    if (inflateInit2(&z, -windowBits) != Z_OK) std::abort();
    std::string out(size, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
    inflateEnd(&z);
    return out;
}

// Best time of several runs over all pieces, in seconds.
double Time(const std::function<void()>& fn) {
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        const auto t0 = Clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

struct Figures {
    std::size_t packed = 0;
    double compress = 0;
    double decompress = 0;
};

using Pack = std::function<std::string(std::string_view)>;
using Unpack = std::function<std::string(std::string_view, std::size_t)>;

Figures Measure(const std::vector<std::string_view>& pieces, const Pack& pack, const Unpack& unpack) {
    Figures f;
    std::vector<std::string> packed(pieces.size());
    f.compress = Time([&] {
        for (std::size_t i = 0; i < pieces.size(); ++i) packed[i] = pack(pieces[i]);
    });
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        f.packed += packed[i].size();
        if (unpack(packed[i], pieces[i].size()) != pieces[i]) {
            std::fprintf(stderr, "round trip failed\n");
            std::exit(1);
        }
    }
    std::size_t sink = 0;
    f.decompress = Time([&] {
        for (std::size_t i = 0; i < pieces.size(); ++i) sink += unpack(packed[i], pieces[i].size()).size();
    });
    if (sink == 0 && !pieces.empty() && !pieces[0].empty()) std::exit(1);
    return f;
}

void Run(const char* name, const std::string& corpus, std::size_t piece) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < corpus.size(); at += piece)
        pieces.push_back(std::string_view(corpus).substr(at, piece));

    const Figures lh5 = Measure(
        pieces, [](std::string_view in) { return zunda::lh5::Compress(in); },
        [](std::string_view in, std::size_t) { return zunda::lh5::Decompress(in); });
    const Figures zlib = Measure(
        pieces, [](std::string_view in) { return ZlibCompress(in, 15); },
        [](std::string_view in, std::size_t size) { return ZlibDecompress(in, size, 15); });
    // Deflate held to the same 8 KiB window as lh5: shows how much of the
    // size difference is the window and how much the coder.
    const Figures zlib8k = Measure(
        pieces, [](std::string_view in) { return ZlibCompress(in, 13); },
        [](std::string_view in, std::size_t size) { return ZlibDecompress(in, size, 13); });

    const double mb = static_cast<double>(corpus.size()) / 1e6;
    std::printf("\n%s: %.1f MB in %zu piece(s) of up to %zu bytes\n", name, mb, pieces.size(), piece);
    std::printf("  %-10s %12s %8s %12s %12s\n", "", "bytes", "ratio", "pack MB/s", "unpack MB/s");
    const std::pair<const char*, const Figures*> rows[] = {{"lh5", &lh5}, {"zlib-6", &zlib}, {"zlib-6/8K", &zlib8k}};
    for (const auto& [label, f] : rows)
        std::printf("  %-10s %12zu %7.2f%% %12.1f %12.1f\n", label, f->packed,
                    100.0 * static_cast<double>(f->packed) / static_cast<double>(corpus.size()), mb / f->compress,
                    mb / f->decompress);
    const double size = static_cast<double>(lh5.packed) / static_cast<double>(zlib.packed);
    const double ctime = lh5.compress / zlib.compress;
    const double dtime = lh5.decompress / zlib.decompress;
    std::printf("  lh5 / zlib-6: size %.3fx (goal on text <= 1.10x), compress time %.2fx (goal <= 1.5x), "
                "decompress time %.2fx (goal <= 2x)\n",
                size, ctime, dtime);
    std::printf("  lh5 / zlib-6 with an 8 KiB window: size %.3fx\n",
                static_cast<double>(lh5.packed) / static_cast<double>(zlib8k.packed));
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 12;
    const std::string text = GatherText(std::max<std::size_t>(megabytes, 10) * 1000 * 1000);
    std::string random(2 * 1000 * 1000, '\0');
    std::mt19937_64 rng(42);
    for (char& c : random) c = static_cast<char>(rng());

    try {
        Run("text", text, text.size());
        Run("text", text, 4096);
        Run("random", random, random.size());
        Run("random", random, 4096);
    } catch (const zunda::Failure& e) {
        std::fprintf(stderr, "failure: %s\n", e.what());
        return 1;
    }
    return 0;
}
