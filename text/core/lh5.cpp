// "-lh5-" compression: LZ77 over an 8 KiB window with lazy matching on hash
// chains, and per-block static Huffman codes for the character-and-length
// alphabet (510 codes) and the position classes (14 codes). The code lengths
// of the first alphabet are themselves coded with a 19-code table.
//
// Stream layout of one block, bits most significant first:
//   16 bits   number of codes in the block (1..65535)
//   T table   code lengths of the 19 "length codes" (5-bit count), with a
//             2-bit run of zeros after the third entry
//   C table   code lengths of the 510 character-and-length codes (9-bit
//             count), coded with the T table; T codes 0, 1 and 2 stand for
//             runs of 1, 3..18 and 20..531 zero lengths
//   P table   code lengths of the 14 position classes (4-bit count)
//   codes     C code; for c >= 256 a match of c - 253 bytes follows, with a
//             P code p and, for p > 1, p - 1 extra bits: the match starts
//             (p ? 2^(p-1) + extra : 0) + 1 bytes back
// A table whose count is 0 is followed by the one symbol it consists of;
// that symbol then takes no bits at all.

#include "text/core/lh5.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "server/core/failure.h"

namespace zunda::lh5 {
namespace {

constexpr unsigned kDicBits = 13;
constexpr std::size_t kDicSize = std::size_t{1} << kDicBits;  // 8192
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 256;
constexpr unsigned kNC = 255 + kMaxMatch + 2 - kMinMatch;  // 510
constexpr unsigned kNP = kDicBits + 1;                     // 14
constexpr unsigned kNT = 16 + 3;                           // 19
constexpr unsigned kCBit = 9;
constexpr unsigned kTBit = 5;
constexpr unsigned kPBit = 4;
constexpr int kTSpecial = 3;
constexpr unsigned kMaxCodeLen = 16;
constexpr unsigned kMaxBlockCodes = 65535;

// Fewest bits a block can take: code count, one-symbol T table, a C table of
// two lengths that cost no bits, one-symbol P table.
constexpr std::uint64_t kMinBlockBits = 16 + 2 * kTBit + kCBit + 2 * kPBit;
constexpr std::uint64_t kMaxBlockOutput = std::uint64_t{kMaxBlockCodes} * kMaxMatch;

unsigned PositionClass(unsigned position) {
    return static_cast<unsigned>(std::bit_width(position));
}

// ---------------------------------------------------------------------------
// Huffman code construction

// Code lengths of an optimal prefix code, computed in place over weights
// sorted ascending (Moffat and Katajainen). a[i] becomes the length of the
// i-th weight. n >= 2.
void OptimalLengths(std::uint32_t* a, unsigned n) {
    unsigned s = 0;
    unsigned r = 0;
    for (unsigned t = 0; t + 1 < n; ++t) {
        std::uint32_t sum;
        if (s >= n || (r < t && a[r] < a[s])) {
            sum = a[r];
            a[r++] = t;
        } else {
            sum = a[s];
            if (s > t) a[s] = 0;
            ++s;
        }
        if (s >= n || (r < t && a[r] < a[s])) {
            sum += a[r];
            a[r++] = t;
        } else {
            sum += a[s];
            if (s > t) a[s] = 0;
            ++s;
        }
        a[t] = sum;
    }
    a[n - 2] = 0;
    for (int t = static_cast<int>(n) - 3; t >= 0; --t) a[t] = a[a[t]] + 1;
    int avail = 1;
    int used = 0;
    std::uint32_t depth = 0;
    int t = static_cast<int>(n) - 2;
    int x = static_cast<int>(n) - 1;
    while (avail > 0) {
        while (t >= 0 && a[t] == depth) {
            ++used;
            --t;
        }
        while (avail > used) {
            a[x--] = depth;
            --avail;
        }
        avail = 2 * used;
        ++depth;
        used = 0;
    }
}

// Fills lens[0..n) with the lengths (at most kMaxCodeLen) of a complete
// prefix code for freq and returns the number of symbols in use. With fewer
// than two symbols in use every length stays 0 and *single names the symbol
// (0 when none is used).
unsigned BuildLengths(const std::uint32_t* freq, unsigned n, std::uint8_t* lens, unsigned* single) {
    std::array<std::uint16_t, kNC> syms;
    unsigned used = 0;
    for (unsigned i = 0; i < n; ++i) {
        lens[i] = 0;
        if (freq[i] != 0) syms[used++] = static_cast<std::uint16_t>(i);
    }
    *single = used == 1 ? syms[0] : 0;
    if (used < 2) return used;
    std::sort(syms.begin(), syms.begin() + used, [freq](std::uint16_t a, std::uint16_t b) {
        return freq[a] != freq[b] ? freq[a] < freq[b] : a < b;
    });
    std::array<std::uint32_t, kNC> work;
    for (unsigned k = 0; k < used; ++k) work[k] = freq[syms[k]];
    OptimalLengths(work.data(), used);

    std::array<unsigned, 64> count{};
    unsigned longest = 0;
    for (unsigned k = 0; k < used; ++k) {
        ++count[work[k]];
        longest = std::max<unsigned>(longest, work[k]);
    }
    // Move overlong codes up while keeping the code complete: a pair of the
    // longest codes gives up one leaf, and a shorter leaf splits to take it.
    for (unsigned len = longest; len > kMaxCodeLen; --len) {
        while (count[len] > 0) {
            unsigned j = len - 2;
            while (count[j] == 0) --j;
            count[len] -= 2;
            count[len - 1] += 1;
            count[j + 1] += 2;
            count[j] -= 1;
        }
    }
    // The most frequent symbols take the shortest lengths.
    int k = static_cast<int>(used) - 1;
    for (unsigned len = 1; len <= kMaxCodeLen; ++len) {
        for (unsigned c = count[len]; c > 0; --c) lens[syms[k--]] = static_cast<std::uint8_t>(len);
    }
    return used;
}

// Canonical codes: shorter codes first, equal lengths in symbol order.
void MakeCodes(const std::uint8_t* lens, unsigned n, std::uint16_t* codes) {
    std::array<unsigned, kMaxCodeLen + 1> count{};
    for (unsigned i = 0; i < n; ++i) ++count[lens[i]];
    count[0] = 0;
    std::array<unsigned, kMaxCodeLen + 2> next{};
    unsigned code = 0;
    for (unsigned len = 1; len <= kMaxCodeLen; ++len) {
        code = (code + count[len - 1]) << 1;
        // cppcheck-suppress containerOutOfBounds ; the arrays hold kMaxCodeLen + 1 entries or more
        next[len] = code;
    }
    for (unsigned i = 0; i < n; ++i) codes[i] = lens[i] ? static_cast<std::uint16_t>(next[lens[i]]++) : 0;
}

// ---------------------------------------------------------------------------
// Encoder

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out), pos_(out.size()) {}

    // Makes room for at least bytes more output.
    void Reserve(std::size_t bytes) {
        if (pos_ + bytes + 8 > out_.size()) out_.resize(std::max(out_.size() * 2, pos_ + bytes + 8));
    }

    // nbits <= 32; value < 2^nbits. The caller has reserved the room.
    void Put(unsigned nbits, std::uint32_t value) {
        acc_ = (acc_ << nbits) | value;
        count_ += nbits;
        if (count_ >= 32) {
            count_ -= 32;
            const auto word = static_cast<std::uint32_t>(acc_ >> count_);
            out_[pos_] = static_cast<char>(word >> 24);
            out_[pos_ + 1] = static_cast<char>(word >> 16);
            out_[pos_ + 2] = static_cast<char>(word >> 8);
            out_[pos_ + 3] = static_cast<char>(word);
            pos_ += 4;
        }
    }

    // Pads the last byte with zero bits and trims the output.
    void Finish() {
        Reserve(8);
        while (count_ >= 8) {
            count_ -= 8;
            out_[pos_++] = static_cast<char>(acc_ >> count_);
        }
        if (count_ > 0) out_[pos_++] = static_cast<char>(acc_ << (8 - count_));
        count_ = 0;
        out_.resize(pos_);
    }

private:
    std::string& out_;
    std::size_t pos_;
    std::uint64_t acc_ = 0;
    unsigned count_ = 0;
};

class BlockWriter {
public:
    BlockWriter(std::string& out, std::size_t inputSize) : bits_(out) {
        codes_.reserve(std::min(kBlockCodes, inputSize));
    }

    void Literal(std::uint8_t c) {
        codes_.push_back(c);
        ++cFreq_[c];
        if (codes_.size() == kBlockCodes) WriteBlock();
    }

    // length 3..256, distance 1..8192
    void Match(unsigned length, unsigned distance) {
        const unsigned sym = length - kMinMatch + 256;
        const unsigned position = distance - 1;
        codes_.push_back(sym | (position << 16));
        ++cFreq_[sym];
        ++pFreq_[PositionClass(position)];
        if (codes_.size() == kBlockCodes) WriteBlock();
    }

    void Finish() {
        WriteBlock();
        bits_.Finish();
    }

private:
    // Codes per block: tables are sent again for every block, which costs a
    // few hundred bytes but lets the codes follow changes in the data.
    static constexpr std::size_t kBlockCodes = 16384;

    void WriteBlock() {
        if (codes_.empty()) return;
        // Bound: tables, then at most 16 + 16 + 12 bits per code.
        bits_.Reserve(2048 + codes_.size() * 6);
        bits_.Put(16, static_cast<std::uint32_t>(codes_.size()));

        unsigned single = 0;
        const unsigned cUsed = BuildLengths(cFreq_.data(), kNC, cLen_.data(), &single);
        if (cUsed >= 2) {
            MakeCodes(cLen_.data(), kNC, cCode_.data());
            WriteTTableAndCLengths();
        } else {
            cCode_.fill(0);
            bits_.Put(kTBit, 0);
            bits_.Put(kTBit, 0);
            bits_.Put(kCBit, 0);
            bits_.Put(kCBit, single);
        }

        const unsigned pUsed = BuildLengths(pFreq_.data(), kNP, pLen_.data(), &single);
        if (pUsed >= 2) {
            MakeCodes(pLen_.data(), kNP, pCode_.data());
            WritePtLengths(pLen_.data(), kNP, kPBit, -1);
        } else {
            pCode_.fill(0);
            bits_.Put(kPBit, 0);
            bits_.Put(kPBit, single);
        }

        for (std::uint32_t code : codes_) {
            const unsigned sym = code & 0xFFFF;
            bits_.Put(cLen_[sym], cCode_[sym]);
            if (sym >= 256) {
                const unsigned position = code >> 16;
                const unsigned p = PositionClass(position);
                bits_.Put(pLen_[p], pCode_[p]);
                if (p > 1) bits_.Put(p - 1, position & ((1u << (p - 1)) - 1));
            }
        }

        codes_.clear();
        cFreq_.fill(0);
        pFreq_.fill(0);
    }

    // Lengths 0..6 take 3 bits; 7 and up are "111", then one 1 per step
    // above 7 and a closing 0.
    void WritePtLengths(const std::uint8_t* lens, unsigned nn, unsigned nbit, int special) {
        unsigned n = nn;
        while (n > 0 && lens[n - 1] == 0) --n;
        bits_.Put(nbit, n);
        unsigned i = 0;
        while (i < n) {
            const unsigned k = lens[i++];
            if (k <= 6)
                bits_.Put(3, k);
            else
                bits_.Put(k - 3, (1u << (k - 3)) - 2);
            if (static_cast<int>(i) == special) {
                while (i < 6 && lens[i] == 0) ++i;
                bits_.Put(2, (i - kTSpecial) & 3);
            }
        }
    }

    // Calls fn(t, extraBits, extraValue) for each T code of the C lengths.
    template <typename Fn>
    void ForEachTCode(unsigned n, Fn fn) const {
        unsigned i = 0;
        while (i < n) {
            const unsigned k = cLen_[i++];
            if (k != 0) {
                fn(k + 2, 0, 0);
                continue;
            }
            unsigned run = 1;
            while (i < n && cLen_[i] == 0) {
                ++i;
                ++run;
            }
            if (run <= 2) {
                for (unsigned r = 0; r < run; ++r) fn(0, 0, 0);
            } else if (run <= 18) {
                fn(1, 4, run - 3);
            } else if (run == 19) {
                fn(0, 0, 0);
                fn(1, 4, 15);
            } else {
                fn(2, kCBit, run - 20);
            }
        }
    }

    void WriteTTableAndCLengths() {
        unsigned n = kNC;
        while (n > 0 && cLen_[n - 1] == 0) --n;
        std::array<std::uint32_t, kNT> tFreq{};
        ForEachTCode(n, [&](unsigned t, unsigned, unsigned) { ++tFreq[t]; });
        std::array<std::uint8_t, kNT> tLen;
        std::array<std::uint16_t, kNT> tCode{};
        unsigned single = 0;
        if (BuildLengths(tFreq.data(), kNT, tLen.data(), &single) >= 2) {
            MakeCodes(tLen.data(), kNT, tCode.data());
            WritePtLengths(tLen.data(), kNT, kTBit, kTSpecial);
        } else {
            bits_.Put(kTBit, 0);
            bits_.Put(kTBit, single);
        }
        bits_.Put(kCBit, n);
        ForEachTCode(n, [&](unsigned t, unsigned extraBits, unsigned extra) {
            bits_.Put(tLen[t], tCode[t]);
            if (extraBits) bits_.Put(extraBits, extra);
        });
    }

    BitWriter bits_;
    std::vector<std::uint32_t> codes_;  // symbol | position << 16
    std::array<std::uint32_t, kNC> cFreq_{};
    std::array<std::uint32_t, kNP> pFreq_{};
    std::array<std::uint8_t, kNC> cLen_{};
    std::array<std::uint16_t, kNC> cCode_{};
    std::array<std::uint8_t, kNP> pLen_{};
    std::array<std::uint16_t, kNP> pCode_{};
};

// Match search parameters. Every match, however long, is checked against
// the match one byte on: in repetitive text (logs, tables) a longer match
// often starts right after a long one. Chains are searched deeper while no
// good match is known; the 8 KiB window keeps them short.
constexpr unsigned kGoodLength = 32;  // a lazy match this long searches a quarter of the chain
constexpr unsigned kMaxLazy = 256;    // a match this long is taken without looking one byte on
constexpr unsigned kNiceLength = 256; // a match this long ends the search
constexpr unsigned kMaxChain = 256;
// A 3-byte match further back than this costs about as much as its three
// literals (position code plus 10 or more extra bits), so literals are kept.
constexpr std::size_t kTooFar = 1024;
constexpr std::size_t kChainSize = 2 * kDicSize;

unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit) {
    unsigned len = 0;
    while (len + 8 <= limit) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (const std::uint64_t diff = x ^ y) {
            if constexpr (std::endian::native == std::endian::little)
                return len + static_cast<unsigned>(std::countr_zero(diff)) / 8;
            else
                return len + static_cast<unsigned>(std::countl_zero(diff)) / 8;
        }
        len += 8;
    }
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

class MatchFinder {
public:
    MatchFinder(const std::uint8_t* data, std::size_t size)
        : data_(data), size_(size) {
        // Positions index the chains modulo a power of two that spans twice
        // the window, so a link within the window is never overwritten.
        chainMask_ = std::min(kChainSize, std::bit_ceil(std::max<std::size_t>(size, 1))) - 1;
        prev_.assign(chainMask_ + 1, 0);
        hashBits_ = std::clamp<unsigned>(static_cast<unsigned>(std::bit_width(size)), 8, 15);
        head_.assign(std::size_t{1} << hashBits_, 0);
    }

    // Enters the string at pos (pos + 3 <= size) and returns the previous
    // head of its chain (position + 1, 0 for none).
    std::uint32_t Insert(std::size_t pos) {
        const std::uint8_t* p = data_ + pos;
        const std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        const std::uint32_t h = (v * 0x9E3779B1u) >> (32 - hashBits_);
        const std::uint32_t old = head_[h];
        prev_[pos & chainMask_] = old;
        head_[h] = static_cast<std::uint32_t>(pos + 1);
        return old;
    }

    // Longest match at pos of at least 3 bytes and longer than prevLength,
    // walking the chain from cand. Returns 0 when there is none.
    unsigned Longest(std::size_t pos, std::uint32_t cand, unsigned prevLength, unsigned* distance) const {
        const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, size_ - pos));
        unsigned best = std::max(prevLength, kMinMatch - 1);
        if (best >= limit) return 0;
        unsigned chain = prevLength >= kGoodLength ? kMaxChain / 4 : kMaxChain;
        const unsigned nice = std::min(kNiceLength, limit);
        const std::size_t oldest = pos > kDicSize ? pos - kDicSize : 0;
        const std::uint8_t* cur = data_ + pos;
        unsigned found = 0;
        while (cand != 0) {
            const std::size_t c = cand - 1;
            if (c < oldest) break;
            const std::uint8_t* m = data_ + c;
            if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
                const unsigned len = MatchLength(m, cur, limit);
                if (len > best) {
                    best = len;
                    found = len;
                    *distance = static_cast<unsigned>(pos - c);
                    if (len >= nice) break;
                }
            }
            if (--chain == 0) break;
            const std::uint32_t next = prev_[c & chainMask_];
            if (next >= cand) break;
            cand = next;
        }
        return found;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t chainMask_;
    unsigned hashBits_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> prev_;
};

// Lazy parse: a match found at one byte is kept back while the next byte
// is tried; the longer of the two wins.
void Parse(const std::uint8_t* data, std::size_t size, BlockWriter& out) {
    MatchFinder finder(data, size);
    std::size_t pos = 0;
    unsigned prevLength = 0;
    unsigned prevDistance = 0;
    bool pending = false;  // a literal or match starts at pos - 1
    while (pos < size) {
        unsigned length = 0;
        unsigned distance = 0;
        if (pos + kMinMatch <= size) {
            const std::uint32_t cand = finder.Insert(pos);
            if (cand != 0 && prevLength < kMaxLazy) {
                length = finder.Longest(pos, cand, prevLength, &distance);
                if (length == kMinMatch && distance > kTooFar) length = 0;
            }
        }
        if (prevLength >= kMinMatch && length <= prevLength) {
            out.Match(prevLength, prevDistance);
            const std::size_t end = pos - 1 + prevLength;
            for (std::size_t q = pos + 1; q < end && q + kMinMatch <= size; ++q) finder.Insert(q);
            pos = end;
            prevLength = 0;
            pending = false;
            continue;
        }
        if (pending) out.Literal(data[pos - 1]);
        pending = true;
        prevLength = length;
        prevDistance = distance;
        ++pos;
    }
    if (pending) out.Literal(data[pos - 1]);
}

// ---------------------------------------------------------------------------
// Decoder

[[noreturn]] void Damaged(const char* what) {
    throw Failure(std::string("Compressed data is damaged (") + what + ").");
}

class BitReader {
public:
    BitReader(const std::uint8_t* p, const std::uint8_t* end) : p_(p), end_(end) {}

    // Makes at least bits (<= 56) bits available.
    void Need(unsigned bits) {
        if (count_ < bits) Refill();
    }

    // 1 <= n <= 32, n bits available.
    std::uint32_t Peek(unsigned n) const { return static_cast<std::uint32_t>(buf_ >> (64 - n)); }
    void Skip(unsigned n) {
        buf_ <<= n;
        count_ -= n;
    }
    std::uint32_t Get(unsigned n) {
        if (n == 0) return 0;
        Need(n);
        const std::uint32_t v = Peek(n);
        Skip(n);
        return v;
    }

    // Whether bits past the end of the input have been consumed.
    bool Overran() const { return pad_ * 8 > count_; }

    // Whether every bit not yet consumed is zero.
    bool RestIsZero() const {
        if (Overran()) return false;
        if (count_ > 0 && (buf_ >> (64 - count_)) != 0) return false;
        for (const std::uint8_t* q = p_; q < end_; ++q)
            if (*q != 0) return false;
        return true;
    }

    // Brings count_ to 56 or more. Bits below the valid ones may already
    // hold the bytes that follow; the next refill ORs in the same values.
    void Refill() {
        if (end_ - p_ >= 8) {
            buf_ |= Load64(p_) >> count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        RefillTail();
    }

    const std::uint8_t* End() const { return end_; }

    static std::uint64_t Load64(const std::uint8_t* q) {
        std::uint64_t w;
        std::memcpy(&w, q, 8);
        if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
        return w;
    }

    // The decoder's hot loop keeps these in registers while it runs a block.
    std::uint64_t buf_ = 0;  // unread bits, most significant first
    unsigned count_ = 0;     // valid bits in buf_
    const std::uint8_t* p_;

private:
    // The last bytes, then zero bytes counted as padding.
    void RefillTail() {
        if (Overran()) Damaged("stream ends early");
        while (count_ <= 56) {
            std::uint64_t b = 0;
            if (p_ < end_)
                b = *p_++;
            else
                ++pad_;
            buf_ |= b << (56 - count_);
            count_ += 8;
        }
    }

    const std::uint8_t* end_;
    unsigned pad_ = 0;  // zero bytes fed in past the end
};

// Lookup table for a canonical prefix code: a root table indexed by the
// next rootBits bits, with second-level tables for longer codes.
class DecodeTable {
public:
    explicit DecodeTable(unsigned symbols, unsigned maxRootBits)
        : maxRoot_(maxRootBits),
          // Not cleared: Build writes every entry a complete code can reach.
          entries_(new std::uint32_t[(std::size_t{1} << maxRootBits) + (std::size_t{symbols} << (kMaxCodeLen - maxRootBits))]) {}

    // A code of one symbol that takes no bits.
    void SetSingle(unsigned sym) {
        root_ = 1;
        sub_ = 0;
        entries_[0] = entries_[1] = sym;
    }

    // False unless lens (each <= 16) form a complete prefix code.
    bool Build(const std::uint8_t* lens, unsigned n) {
        std::array<unsigned, kMaxCodeLen + 1> count{};
        unsigned longest = 0;
        for (unsigned i = 0; i < n; ++i) {
            ++count[lens[i]];
            longest = std::max<unsigned>(longest, lens[i]);
        }
        count[0] = 0;
        std::int64_t left = 1;
        for (unsigned len = 1; len <= kMaxCodeLen; ++len) {
            // cppcheck-suppress containerOutOfBounds ; the arrays hold kMaxCodeLen + 1 entries or more
            left = (left << 1) - count[len];
            if (left < 0) return false;  // over-subscribed
        }
        if (left != 0) return false;  // incomplete (or empty)

        root_ = std::min(maxRoot_, longest);
        sub_ = longest - root_;
        std::array<unsigned, kMaxCodeLen + 2> next{};
        unsigned code = 0;
        for (unsigned len = 1; len <= kMaxCodeLen; ++len) {
            code = (code + count[len - 1]) << 1;
            // cppcheck-suppress containerOutOfBounds ; the arrays hold kMaxCodeLen + 1 entries or more
            next[len] = code;
        }
        const std::size_t rootSize = std::size_t{1} << root_;
        std::fill_n(entries_.get(), rootSize, 0);
        std::size_t nextSub = rootSize;
        for (unsigned sym = 0; sym < n; ++sym) {
            const unsigned len = lens[sym];
            if (len == 0) continue;
            const unsigned c = next[len]++;
            const std::uint32_t entry = sym | (len << 16);
            if (len <= root_) {
                const std::size_t base = std::size_t{c} << (root_ - len);
                std::fill_n(entries_.get() + base, std::size_t{1} << (root_ - len), entry);
            } else {
                std::uint32_t& link = entries_[c >> (len - root_)];
                if (!(link & kLink)) {
                    link = kLink | static_cast<std::uint32_t>(nextSub);
                    nextSub += std::size_t{1} << sub_;
                }
                const std::size_t base = (link & 0xFFFF) + ((std::size_t{c} << (longest - len)) & ((std::size_t{1} << sub_) - 1));
                std::fill_n(entries_.get() + base, std::size_t{1} << (longest - len), entry);
            }
        }
        return true;
    }

    const std::uint32_t* Entries() const { return entries_.get(); }
    unsigned RootBits() const { return root_; }
    unsigned SubBits() const { return sub_; }

    // An entry: symbol in bits 0..15, code length in bits 16..20; a root
    // entry with kLink set gives the start of its second-level table instead.
    static constexpr std::uint32_t kLink = 0x80000000u;

    // At least 16 bits must be available.
    unsigned Decode(BitReader& in) const {
        std::uint32_t e = entries_[in.Peek(root_)];
        if (e & kLink) e = entries_[(e & 0xFFFF) + (in.Peek(root_ + sub_) & ((1u << sub_) - 1))];
        in.Skip((e >> 16) & 0x1F);
        return e & 0xFFFF;
    }

private:
    unsigned maxRoot_;
    unsigned root_ = 1;
    unsigned sub_ = 0;
    std::unique_ptr<std::uint32_t[]> entries_;
};

class Decoder {
public:
    Decoder(const std::uint8_t* p, const std::uint8_t* end) : in_(p, end), t_(kNT, 8), c_(kNC, 12), p_(kNP, 8) {}

    // Decodes n bytes into out. Memory is reserved for `initial` bytes (the
    // whole output unless the header claims an unusual ratio) and grows
    // only when the stream really yields more.
    void Run(std::string& out, std::size_t n, std::size_t initial) {
        std::size_t cap = initial;
        out.resize(cap + kSlack);
        std::size_t pos = 0;
        unsigned left = 0;  // codes left in the block
        while (pos < n) {
            if (pending_.length != 0) {
                // A match that did not fit below cap.
                if (pending_.length > n - pos) Fail("a match runs past the announced length");
                cap = std::min(n, std::max(cap * 2, pos + pending_.length));
                out.resize(cap + kSlack);
                CopyMatch(out.data() + pos, pending_.distance, pending_.length);
                pos += pending_.length;
                pending_.length = 0;
                continue;
            }
            if (pos == cap) {
                cap = std::min(n, cap * 2);
                out.resize(cap + kSlack);
            }
            if (left == 0) left = ReadBlockHeader();
            pos = RunCodes(out.data(), pos, cap, &left);
        }
        if (in_.Overran()) Damaged("stream ends early");
        if (left != 0) Fail("the last block holds more codes than the announced length");
        if (!in_.RestIsZero()) Fail("data follows the end of the stream");
        out.resize(n);
    }

private:
    static constexpr std::size_t kSlack = 32;  // match copies write up to 15 bytes past their end

    // Copies a match of length 3..256 from distance bytes back, where the
    // source may overlap the destination. Writes up to 15 bytes more.
    static void CopyMatch(char* d, std::size_t distance, unsigned length) {
        const char* s = d - distance;
        if (distance >= 16) {
            for (unsigned k = 0; k < length; k += 16) std::memcpy(d + k, s + k, 16);
        } else if (distance >= 8) {
            for (unsigned k = 0; k < length; k += 8) std::memcpy(d + k, s + k, 8);
        } else if (distance == 1) {
            const std::uint64_t v = 0x0101010101010101ull * static_cast<unsigned char>(*s);
            for (unsigned k = 0; k < length; k += 8) std::memcpy(d + k, &v, 8);
        } else {
            // The output repeats with period distance, so once a whole number
            // of periods of 8 bytes or more stands, 8-byte copies from that
            // far back are exact.
            static constexpr unsigned char kStep[8] = {0, 8, 8, 9, 8, 10, 12, 14};
            const unsigned step = kStep[distance];
            for (unsigned k = 0; k < step; ++k) d[k] = s[k];
            for (unsigned k = step; k < length; k += 8) std::memcpy(d + k, d + k - step, 8);
        }
    }

    // Decodes the current block's codes into dst until the block ends or
    // pos reaches cap; a match that does not fit below cap is left in
    // pending_. Returns the new pos. The bit buffer and the tables stay in
    // locals: stores into dst would otherwise force them back to memory.
    std::size_t RunCodes(char* dst, std::size_t pos, std::size_t cap, unsigned* leftOut) {
        const std::uint32_t* const cTab = c_.Entries();
        const unsigned cRoot = c_.RootBits();
        const unsigned cSub = c_.SubBits();
        const std::uint32_t* const pTab = p_.Entries();
        const unsigned pRoot = p_.RootBits();
        const unsigned pSub = p_.SubBits();
        constexpr std::uint32_t kLink = DecodeTable::kLink;
        const std::uint8_t* const end = in_.End();
        std::uint64_t buf = in_.buf_;
        unsigned count = in_.count_;
        const std::uint8_t* p = in_.p_;
        unsigned left = *leftOut;
        auto sync = [&] {
            in_.buf_ = buf;
            in_.count_ = count;
            in_.p_ = p;
            *leftOut = left;
        };
        while (left != 0 && pos < cap) {
            --left;
            // One refill per code: 56 bits cover a C code, a P code and
            // its extra bits (16 + 16 + 12).
            if (end - p >= 8) {
                buf |= BitReader::Load64(p) >> count;
                p += (63 - count) >> 3;
                count |= 56;
            } else {
                sync();
                in_.Refill();
                buf = in_.buf_;
                count = in_.count_;
                p = in_.p_;
            }
            std::uint32_t e = cTab[buf >> (64 - cRoot)];
            if (e & kLink) e = cTab[(e & 0xFFFF) + ((buf >> (64 - cRoot - cSub)) & ((1u << cSub) - 1))];
            unsigned bits = (e >> 16) & 0x1F;
            buf <<= bits;
            count -= bits;
            const unsigned c = e & 0xFFFF;
            if (c < 256) {
                dst[pos++] = static_cast<char>(c);
                continue;
            }
            const unsigned length = c - (256 - kMinMatch);
            std::uint32_t q = pTab[buf >> (64 - pRoot)];
            if (q & kLink) q = pTab[(q & 0xFFFF) + ((buf >> (64 - pRoot - pSub)) & ((1u << pSub) - 1))];
            bits = (q >> 16) & 0x1F;
            buf <<= bits;
            count -= bits;
            const unsigned pc = q & 0xFFFF;
            std::size_t distance = 1 + pc;
            if (pc > 1) {
                const unsigned extra = pc - 1;
                distance = 1 + ((std::size_t{1} << extra) | static_cast<std::size_t>(buf >> (64 - extra)));
                buf <<= extra;
                count -= extra;
            }
            if (distance > pos) {
                sync();
                Fail("a match reaches before the start of the data");
            }
            if (length > cap - pos) {
                pending_ = {length, distance};
                break;
            }
            CopyMatch(dst + pos, distance, length);
            pos += length;
        }
        sync();
        return pos;
    }

    struct Pending {
        unsigned length = 0;
        std::size_t distance = 0;
    };
    Pending pending_;

    // Reports damage; a reader that ran past the end explains any of it.
    [[noreturn]] void Fail(const char* what) const {
        Damaged(in_.Overran() ? "stream ends early" : what);
    }

    unsigned ReadBlockHeader() {
        const unsigned codes = in_.Get(16);
        if (codes == 0) Fail("a block holds no codes");
        ReadPtLengths(t_, kNT, kTBit, kTSpecial);
        ReadCLengths();
        ReadPtLengths(p_, kNP, kPBit, -1);
        return codes;
    }

    void ReadPtLengths(DecodeTable& table, unsigned nn, unsigned nbit, int special) {
        const unsigned n = in_.Get(nbit);
        if (n == 0) {
            const unsigned sym = in_.Get(nbit);
            if (sym >= nn) Fail("bad code-length table");
            table.SetSingle(sym);
            return;
        }
        if (n > nn) Fail("bad code-length table");
        std::array<std::uint8_t, kNT> lens{};
        unsigned i = 0;
        while (i < n) {
            in_.Need(3);
            unsigned len = in_.Peek(3);
            in_.Skip(3);
            if (len == 7) {
                while (in_.Get(1)) {
                    if (++len > kMaxCodeLen) Fail("bad code-length table");
                }
            }
            lens[i++] = static_cast<std::uint8_t>(len);
            if (static_cast<int>(i) == special) {
                const unsigned zeros = in_.Get(2);
                if (i + zeros > nn) Fail("bad code-length table");
                i += zeros;  // lens are already 0
            }
        }
        if (!table.Build(lens.data(), nn)) Fail("bad Huffman table");
    }

    void ReadCLengths() {
        const unsigned n = in_.Get(kCBit);
        if (n == 0) {
            const unsigned sym = in_.Get(kCBit);
            if (sym >= kNC) Fail("bad character table");
            c_.SetSingle(sym);
            return;
        }
        if (n > kNC) Fail("bad character table");
        std::array<std::uint8_t, kNC> lens{};
        unsigned i = 0;
        while (i < n) {
            in_.Need(kMaxCodeLen);
            const unsigned t = t_.Decode(in_);
            if (t <= 2) {
                const unsigned run = t == 0 ? 1 : t == 1 ? in_.Get(4) + 3 : in_.Get(kCBit) + 20;
                if (i + run > kNC) Fail("bad character table");
                i += run;  // lens are already 0
            } else {
                lens[i++] = static_cast<std::uint8_t>(t - 2);
            }
        }
        if (!c_.Build(lens.data(), kNC)) Fail("bad Huffman table");
    }

    BitReader in_;
    DecodeTable t_;
    DecodeTable c_;
    DecodeTable p_;
};

}  // namespace

std::string Compress(std::string_view input) {
    if (input.size() > 0xFFFFFFFFu) throw Failure("The text is too long to compress (4 GiB or more).");
    std::string out(4, '\0');
    const auto n = static_cast<std::uint32_t>(input.size());
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
    if (input.empty()) return out;
    out.reserve(4 + input.size() / 2 + 64);
    BlockWriter writer(out, input.size());
    Parse(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), writer);
    writer.Finish();
    return out;
}

std::string Decompress(std::string_view data) {
    if (data.size() < 4) Damaged("shorter than its length header");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    const std::uint64_t n = bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
                            (std::uint32_t{bytes[3]} << 24);
    const std::uint64_t bodyBits = (std::uint64_t{data.size()} - 4) * 8;
    if (n > bodyBits / kMinBlockBits * kMaxBlockOutput)
        Damaged("its length header announces more than the stream can hold");
    std::string out;
    if (n + 16 > out.max_size()) throw Failure("The compressed text is too long to expand in this process.");
    // The output is sized once from the header unless the header claims
    // more than 64 times the stream (or 256 KiB, whichever is more): then
    // it grows with what the stream really yields, so a false length in a
    // short stream cannot claim much memory.
    const std::uint64_t initial = std::min<std::uint64_t>(n, std::max<std::uint64_t>(bodyBits * 8, std::uint64_t{256} * 1024));
    Decoder decoder(bytes + 4, bytes + data.size());
    decoder.Run(out, static_cast<std::size_t>(n), static_cast<std::size_t>(initial));
    return out;
}

}  // namespace zunda::lh5
