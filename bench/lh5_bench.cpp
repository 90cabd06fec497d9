// Size and speed of the lh5 codec against its peers, all measured on the
// same pieces in the same run:
//   - jlha (jlha-utils), the independent "-lh5-" encoder: its output size
//     (through the jlha command, one archive per corpus and piece size);
//   - liblhasa, the independent "-lh5-" decoder: its time to decode our
//     streams;
//   - zlib (raw deflate) at level 6 with its 32 KiB window, and with the
//     same 8 KiB window as lh5.
//
// Corpora: text (licences, manual pages and C headers of this machine, taken
// in turns), generated log lines, a binary file and random bytes; each cut
// into pieces of 512 bytes (text only: the usual size of a scripted
// string), 4 KiB, 64 KiB and 1 MiB.
//
//   lh5_bench [megabytes of text, default 4] [corpus name to run only]

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/core/failure.h"
#include "tests/support/lhasa_decode.h"
#include "text/core/lh5.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Corpora

bool LooksLikeText(const std::string& s) {
    if (s.empty()) return false;
    std::size_t odd = 0;
    for (unsigned char c : s) {
        if (c == 0) return false;
        if (c < 9 || (c > 13 && c < 32)) ++odd;
    }
    return odd * 100 < s.size();
}

std::vector<fs::path> FilesUnder(const fs::path& root, const std::function<bool(const fs::path&)>& wanted) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec) || it->is_symlink(fec)) continue;
        const auto size = it->file_size(fec);
        if (fec || size == 0 || size > (1u << 20) || !wanted(it->path())) continue;
        files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string ReadGzip(const fs::path& p) {
    std::string out;
    gzFile f = gzopen(p.c_str(), "rb");
    if (f == nullptr) return out;
    char buf[65536];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    gzclose(f);
    return out;
}

// Licences, manual pages and C headers taken in turns, so no kind dominates.
std::string GatherText(std::size_t want) {
    std::vector<fs::path> licences = FilesUnder("/usr/share/common-licenses", [](const fs::path&) { return true; });
    for (const fs::path& p : FilesUnder("/usr/share/doc", [](const fs::path& q) { return q.filename() == "copyright"; }))
        licences.push_back(p);
    std::vector<fs::path> manuals;
    for (const char* section : {"/usr/share/man/man1", "/usr/share/man/man3", "/usr/share/man/man5",
                                "/usr/share/man/man7", "/usr/share/man/man8"})
        for (const fs::path& p : FilesUnder(section, [](const fs::path& q) { return q.extension() == ".gz"; }))
            manuals.push_back(p);
    const std::vector<fs::path> headers =
        FilesUnder("/usr/include", [](const fs::path& q) { return q.extension() == ".h"; });
    std::printf("text sources: %zu licences, %zu manual pages, %zu C headers\n", licences.size(), manuals.size(),
                headers.size());

    std::string text;
    std::size_t got[3] = {};
    for (std::size_t i = 0; text.size() < want; ++i) {
        bool any = false;
        int kind = 0;
        const std::vector<fs::path>* const kinds[] = {&licences, &manuals, &headers};
        for (const std::vector<fs::path>* files : kinds) {
            if (i < files->size()) {
                any = true;
                const fs::path& p = (*files)[i];
                const std::string s = kind == 1 ? ReadGzip(p) : ReadFile(p);
                if (LooksLikeText(s)) {
                    text += s;
                    got[kind] += s.size();
                }
            }
            ++kind;
        }
        if (!any) break;
    }
    if (text.size() < want) {
        std::fprintf(stderr, "only %zu bytes of text found\n", text.size());
        std::exit(1);
    }
    text.resize(want);
    std::printf("text: %zu KB licences, %zu KB manual pages, %zu KB headers\n", got[0] / 1000, got[1] / 1000,
                got[2] / 1000);
    return text;
}

// Lines in the style of a service's log: time stamps that advance, a few
// levels and components, message templates with ids, addresses and figures.
std::string GenerateLog(std::size_t want) {
    std::mt19937 rng(2026);
    auto R = [&](unsigned k) { return static_cast<unsigned>(rng() % k); };
    auto pick = [&](std::initializer_list<const char*> list) { return *(list.begin() + R(static_cast<unsigned>(list.size()))); };
    std::string log;
    long long ms = 9LL * 3600 * 1000;
    char line[512];
    while (log.size() < want) {
        ms += R(900);
        const int h = static_cast<int>(ms / 3600000 % 24), m = static_cast<int>(ms / 60000 % 60),
                  s = static_cast<int>(ms / 1000 % 60), f = static_cast<int>(ms % 1000);
        const unsigned r = R(100);
        const char* level = r < 80 ? "INFO " : r < 93 ? "DEBUG" : r < 98 ? "WARN " : "ERROR";
        const char* component = pick({"http-worker-1", "http-worker-2", "http-worker-3", "scheduler", "db-pool",
                                      "cache", "auth"});
        int n = std::snprintf(line, sizeof line, "2026-12-11 %02d:%02d:%02d.%03d %s [%s] ", h, m, s, f, level,
                              component);
        const unsigned id = R(100000);
        switch (R(8)) {
        case 0:
        case 1:
        case 2:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "%s /api/v1/%s/%u HTTP/1.1 %d %ums client=10.0.%u.%u req=%08x\n",
                               pick({"GET", "GET", "POST", "PUT", "DELETE"}),
                               pick({"orders", "customers", "invoices", "items"}), id,
                               R(20) ? 200 : R(2) ? 404 : 500, R(250),
                               R(8), R(256), static_cast<unsigned>(rng()));
            break;
        case 3:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "query SELECT * FROM %s WHERE id = %u took %u ms, %u rows\n",
                               pick({"orders", "customers", "invoices"}), id, R(40), R(3));
            break;
        case 4:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "cache %s for key session:%08x (size %u bytes)\n", pick({"hit", "hit", "miss"}),
                               static_cast<unsigned>(rng()), 64 + R(4000));
            break;
        case 5:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "user %s logged %s from 192.168.%u.%u\n",
                               pick({"alice", "bob", "carol", "dave", "erin", "mallory"}), pick({"in", "out"}),
                               R(4), R(256));
            break;
        case 6:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "job %s finished in %u.%03u s, next run in %u s\n",
                               pick({"cleanup", "report", "backup", "reindex"}), R(60), R(1000),
                               R(3600));
            break;
        default:
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n),
                               "pool stats: active=%u idle=%u waiting=%u max=32\n", R(32), R(16),
                               R(4));
            break;
        }
        log.append(line, static_cast<std::size_t>(n));
    }
    log.resize(want);
    return log;
}

std::string BinaryFile(std::size_t want) {
    for (const char* p : {"/usr/lib/x86_64-linux-gnu/libstdc++.so.6", "/usr/bin/cmake", "/proc/self/exe"}) {
        std::string s = ReadFile(p);
        if (s.size() >= want / 2) {
            std::printf("binary: %s\n", p);
            if (s.size() > want) s.resize(want);
            return s;
        }
    }
    std::fprintf(stderr, "no binary file found\n");
    std::exit(1);
}

// ---------------------------------------------------------------------------
// Peers

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

// liblhasa's "-lh5-" decoder on one of our streams (after the length).
std::string LhasaDecode(std::string_view packed, std::size_t n) {
    return zunda::test::LhasaDecodeBody(packed.substr(4), n).value();
}

struct JlhaFigures {
    bool ran = false;
    std::size_t packed = 0;  // bytes of -lh5- bodies plus stored pieces
    std::size_t stored = 0;  // pieces jlha stored instead of compressing
};

bool HaveJlha() {
    static const bool have = std::system("command -v jlha >/dev/null 2>&1") == 0;
    return have;
}

std::uint32_t Le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

// Packs every piece as one member of a level-2 archive and adds up the
// member bodies. jlha stores a member whose "-lh5-" form would be larger;
// such members count with their stored size.
JlhaFigures Jlha(const std::vector<std::string_view>& pieces) {
    JlhaFigures f;
    if (!HaveJlha()) return f;
    char dirTemplate[] = "/tmp/lh5-bench-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return f;
    const fs::path dir = dirTemplate;
    std::string names;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%06zu", i);
        std::ofstream(dir / name, std::ios::binary).write(pieces[i].data(), static_cast<std::streamsize>(pieces[i].size()));
        names += std::string(" ") + name;
    }
    const std::string command = "cd '" + dir.string() + "' && jlha co52q all.lzh" + names + " >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        const std::string lzh = ReadFile(dir / "all.lzh");
        std::size_t at = 0;
        std::size_t members = 0;
        while (at + 22 <= lzh.size() && lzh[at] != 0) {
            const std::uint32_t header = Le(lzh, at, 2);
            const std::uint32_t packed = Le(lzh, at + 7, 4);
            if (lzh.compare(at + 2, 5, "-lh0-") == 0) ++f.stored;
            f.packed += packed;
            ++members;
            at += header + packed;
        }
        f.ran = members == pieces.size();
        if (!f.ran) std::fprintf(stderr, "jlha archive holds %zu members, expected %zu\n", members, pieces.size());
    }
    fs::remove_all(dir);
    return f;
}

// ---------------------------------------------------------------------------
// Measurement

// Processor time of this thread, in seconds: less disturbed than the wall
// clock when other processes share the machine.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Best time of several rounds for each job, the jobs taking turns within a
// round so that a disturbance hits all of them alike.
std::vector<double> TimeInTurns(const std::vector<std::function<void()>>& jobs) {
    std::vector<double> best(jobs.size(), 1e30);
    for (int round = 0; round < 7; ++round) {
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const double t0 = CpuSeconds();
            jobs[j]();
            best[j] = std::min(best[j], CpuSeconds() - t0);
        }
    }
    return best;
}

struct Codec {
    using Pack = std::function<std::string(std::string_view)>;
    using Unpack = std::function<std::string(std::string_view, std::size_t)>;
    Codec(Pack p, Unpack u) : pack(std::move(p)), unpack(std::move(u)) {}
    Pack pack;
    Unpack unpack;
    std::size_t packed = 0;
    double compress = 0;
    double decompress = 0;
    std::vector<std::string> streams;
};

// Packs the pieces with every codec and unpacks them again (liblhasa
// unpacks lh5's streams), checking each round trip once before timing.
void Measure(const std::vector<std::string_view>& pieces, std::vector<Codec*> codecs, double* lhasa) {
    std::vector<std::function<void()>> packs;
    for (Codec* c : codecs) {
        c->streams.resize(pieces.size());
        packs.push_back([c, &pieces] {
            for (std::size_t i = 0; i < pieces.size(); ++i) c->streams[i] = c->pack(pieces[i]);
        });
    }
    const std::vector<double> packTimes = TimeInTurns(packs);
    std::size_t sink = 0;
    std::vector<std::function<void()>> unpacks;
    for (std::size_t k = 0; k < codecs.size(); ++k) {
        Codec* c = codecs[k];
        c->compress = packTimes[k];
        c->packed = 0;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            c->packed += c->streams[i].size();
            if (c->unpack(c->streams[i], pieces[i].size()) != pieces[i]) {
                std::fprintf(stderr, "round trip failed\n");
                std::exit(1);
            }
        }
        unpacks.push_back([c, &pieces, &sink] {
            for (std::size_t i = 0; i < pieces.size(); ++i) sink += c->unpack(c->streams[i], pieces[i].size()).size();
        });
    }
    const Codec* lh5 = codecs[0];
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (LhasaDecode(lh5->streams[i], pieces[i].size()) != pieces[i]) {
            std::fprintf(stderr, "liblhasa does not read a stream back\n");
            std::exit(1);
        }
    }
    unpacks.push_back([lh5, &pieces, &sink] {
        for (std::size_t i = 0; i < pieces.size(); ++i) sink += LhasaDecode(lh5->streams[i], pieces[i].size()).size();
    });
    const std::vector<double> unpackTimes = TimeInTurns(unpacks);
    for (std::size_t k = 0; k < codecs.size(); ++k) codecs[k]->decompress = unpackTimes[k];
    *lhasa = unpackTimes.back();
    if (sink == 0) std::exit(1);
}

std::vector<std::string> summary;

void Run(const char* name, const std::string& whole, std::size_t piece) {
    // At most 2048 pieces: enough for a stable figure, and jlha gets one
    // archive of reasonable size.
    const std::string_view corpus = std::string_view(whole).substr(0, std::min(whole.size(), piece * 2048));
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < corpus.size(); at += piece) pieces.push_back(corpus.substr(at, piece));

    Codec lh5{[](std::string_view in) { return zunda::lh5::Compress(in); },
              [](std::string_view in, std::size_t) { return zunda::lh5::Decompress(in); }};
    Codec zlib{[](std::string_view in) { return ZlibCompress(in, 15); },
               [](std::string_view in, std::size_t size) { return ZlibDecompress(in, size, 15); }};
    // Deflate held to the same 8 KiB window as lh5: shows how much of the
    // size difference is the window and how much the coder.
    Codec zlib8k{[](std::string_view in) { return ZlibCompress(in, 13); },
                 [](std::string_view in, std::size_t size) { return ZlibDecompress(in, size, 13); }};
    double lhasa = 0;
    Measure(pieces, {&lh5, &zlib, &zlib8k}, &lhasa);
    // The length header is ours, not part of the "-lh5-" stream: sizes
    // compared with the peers leave it out.
    const std::size_t lh5Body = lh5.packed - 4 * pieces.size();
    const JlhaFigures jlha = Jlha(pieces);

    const double mb = static_cast<double>(corpus.size()) / 1e6;
    const double total = static_cast<double>(corpus.size());
    std::printf("\n%s: %.2f MB in %zu piece(s) of up to %zu bytes\n", name, mb, pieces.size(), piece);
    std::printf("  %-12s %10s %8s %10s %10s\n", "", "bytes", "ratio", "pack MB/s", "unpack MB/s");
    std::printf("  %-12s %10zu %7.2f%% %10.1f %10.1f\n", "lh5", lh5Body, 100.0 * static_cast<double>(lh5Body) / total,
                mb / lh5.compress, mb / lh5.decompress);
    if (jlha.ran)
        std::printf("  %-12s %10zu %7.2f%% %10s %10s%s\n", "jlha -lh5-", jlha.packed,
                    100.0 * static_cast<double>(jlha.packed) / total, "", "",
                    jlha.stored ? (" (" + std::to_string(jlha.stored) + " piece(s) stored)").c_str() : "");
    std::printf("  %-12s %10s %8s %10s %10.1f\n", "liblhasa", "", "", "", mb / lhasa);
    std::printf("  %-12s %10zu %7.2f%% %10.1f %10.1f\n", "zlib-6", zlib.packed,
                100.0 * static_cast<double>(zlib.packed) / total, mb / zlib.compress, mb / zlib.decompress);
    std::printf("  %-12s %10zu %7.2f%% %10.1f %10.1f\n", "zlib-6/8K", zlib8k.packed,
                100.0 * static_cast<double>(zlib8k.packed) / total, mb / zlib8k.compress, mb / zlib8k.decompress);
    std::printf("  ratios: size/jlha ");
    if (jlha.ran)
        std::printf("%.4f", static_cast<double>(lh5Body) / static_cast<double>(jlha.packed));
    else
        std::printf("n/a");
    std::printf(", size/zlib-6/8K %.4f, pack time/zlib-6 %.2f, unpack time/zlib-6 %.2f, unpack time/liblhasa %.2f\n",
                static_cast<double>(lh5Body) / static_cast<double>(zlib8k.packed), lh5.compress / zlib.compress,
                lh5.decompress / zlib.decompress, lh5.decompress / lhasa);
    char row[200];
    std::snprintf(row, sizeof row, "%-7s %8zu | %9.4f | %9.4f | %11.2f | %13.2f | %15.2f", name, piece,
                  jlha.ran ? static_cast<double>(lh5Body) / static_cast<double>(jlha.packed) : 0.0,
                  static_cast<double>(lh5Body) / static_cast<double>(zlib8k.packed), lh5.compress / zlib.compress,
                  lh5.decompress / zlib.decompress, lh5.decompress / lhasa);
    summary.push_back(row);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::max<std::size_t>(std::strtoul(argv[1], nullptr, 10), 2) : 4;
    const std::string only = argc > 2 ? argv[2] : "";
    if (!HaveJlha()) std::fprintf(stderr, "jlha not found (package jlha-utils): its sizes are left out\n");

    struct Corpus {
        const char* name;
        std::function<std::string()> make;
        std::vector<std::size_t> pieces;
    };
    const std::size_t kMiB = std::size_t{1} << 20;
    const Corpus corpora[] = {
        {"text", [&] { return GatherText(megabytes * kMiB); }, {512, 4096, 65536, kMiB}},
        {"log", [&] { return GenerateLog(2 * kMiB); }, {4096, 65536, kMiB}},
        {"binary", [&] { return BinaryFile(2 * kMiB); }, {4096, 65536, kMiB}},
        {"random",
         [&] {
             std::string random(2 * kMiB, '\0');
             std::mt19937_64 rng(42);
             for (char& c : random) c = static_cast<char>(rng());
             return random;
         },
         {4096, 65536, kMiB}},
    };
    try {
        for (const Corpus& c : corpora) {
            if (!only.empty() && only != c.name) continue;
            const std::string data = c.make();
            for (std::size_t piece : c.pieces) Run(c.name, data, piece);
        }
    } catch (const zunda::Failure& e) {
        std::fprintf(stderr, "failure: %s\n", e.what());
        return 1;
    }
    std::printf("\n%-16s | size/jlha | size/zl8K | pack/zlib-6 | unpack/zlib-6 | unpack/liblhasa\n", "corpus   piece");
    for (const std::string& row : summary) std::printf("%s\n", row.c_str());
    return 0;
}
