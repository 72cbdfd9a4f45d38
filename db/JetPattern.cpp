#include "JetPattern.h"

#include "DbError.h"

#include <QChar>
#include <QString>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemtaro::db {

namespace {

// Decoded characters from here up stand for a byte that is not valid UTF-8.
constexpr char32_t invalidByteBase = 0x110000;

constexpr std::array<unsigned char, 128> asciiFold = [] {
    std::array<unsigned char, 128> fold{};
    for (int c = 0; c < 128; ++c)
        fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return fold;
}();

/// For each ASCII character, the first UTF-8 byte of the non-ASCII character that folds to it
/// (the long s to s, the Kelvin sign to k); 0 for none, 0xFF for several with different ones.
const std::array<unsigned char, 128>& foreignLeads()
{
    static const std::array<unsigned char, 128> table = [] {
        std::array<unsigned char, 128> leads{};
        // Letters with case lie in the first two planes only.
        for (char32_t c = 0x80; c < 0x20000; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded >= 0x80)
                continue;
            const auto lead = static_cast<unsigned char>(c < 0x800     ? 0xC0 | (c >> 6)
                                                         : c < 0x10000 ? 0xE0 | (c >> 12)
                                                                       : 0xF0 | (c >> 18));
            leads[folded] = leads[folded] == 0 || leads[folded] == lead ? lead : 0xFF;
        }
        return leads;
    }();
    return table;
}

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// The pattern as an error description quotes it, cut short when long.
QString shown(std::string_view pattern)
{
    const QString text = QString::fromUtf8(pattern.data(), qsizetype(pattern.size()));
    constexpr int longest = 60;
    return text.size() <= longest ? text : text.left(longest) + QChar(0x2026);
}

// Decodes one character at `p` and moves past it. A byte that does not begin a well-formed
// UTF-8 sequence is returned as `invalidByteBase + byte` and counts as one character.
inline char32_t decodeUtf8(const unsigned char*& p, const unsigned char* end) noexcept
{
    const unsigned char b = *p;
    if (b < 0x80) {
        ++p;
        return b;
    }
    const ptrdiff_t left = end - p;
    if (b >= 0xC2 && b <= 0xDF && left >= 2 && isContinuation(p[1])) {
        const char32_t c = (char32_t(b & 0x1F) << 6) | (p[1] & 0x3F);
        p += 2;
        return c;
    }
    if (b >= 0xE0 && b <= 0xEF && left >= 3 && isContinuation(p[1]) && isContinuation(p[2])) {
        const char32_t c =
            (char32_t(b & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) { // no overlong forms, no surrogates
            p += 3;
            return c;
        }
    }
    if (b >= 0xF0 && b <= 0xF4 && left >= 4 && isContinuation(p[1]) && isContinuation(p[2]) &&
        isContinuation(p[3])) {
        const char32_t c = (char32_t(b & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
                           (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        if (c >= 0x10000 && c < invalidByteBase) {
            p += 4;
            return c;
        }
    }
    ++p;
    return invalidByteBase + b;
}

// The case-folded form of a decoded character (invalid bytes fold to themselves).
inline char32_t foldCase(char32_t c) noexcept
{
    if (c < 0x80)
        return asciiFold[c];
    if (c >= invalidByteBase)
        return c;
    return QChar::toCaseFolded(c);
}

} // namespace

JetPattern::JetPattern(std::string_view pattern)
{
    m_segments.emplace_back();
    const auto* const data = reinterpret_cast<const unsigned char*>(pattern.data());
    size_t pos = 0;
    while (pos < pattern.size()) {
        switch (pattern[pos]) {
        case '*':
            ++pos;
            if (!m_hasStar || m_segments.back().size() > 0) {
                closeSegment();
                m_segments.emplace_back();
                m_segments.back().begin = m_segments.back().end = uint32_t(m_tokens.size());
            }
            m_hasStar = true;
            continue;
        case '?':
            ++pos;
            m_tokens.push_back({Kind::AnyChar, 0});
            break;
        case '#':
            ++pos;
            m_tokens.push_back({Kind::Digit, 0});
            break;
        case '[':
            compileList(pattern, pos);
            break;
        default: {
            const unsigned char* p = data + pos;
            const char32_t c = decodeUtf8(p, data + pattern.size());
            pos = size_t(p - data);
            m_tokens.push_back({Kind::Literal, foldCase(c)});
        }
        }
        m_segments.back().end = uint32_t(m_tokens.size());
    }
    closeSegment();
}

// `[` at `pos`: compiles the list up to its `]` into one token (or none for `[]`).
void JetPattern::compileList(std::string_view pattern, size_t& pos)
{
    const size_t open = pos;
    const size_t close = pattern.find(']', open + 1);
    if (close == std::string_view::npos)
        throw DbError(QStringLiteral("Patrón no válido «%1»: falta el corchete de cierre «]».")
                          .arg(shown(pattern)));
    pos = close + 1;

    const auto* const data = reinterpret_cast<const unsigned char*>(pattern.data());
    const unsigned char* p = data + open + 1;
    const unsigned char* const end = data + close;
    if (p == end)
        return; // `[]` stands for nothing
    List list;
    if (*p == '!' && p + 1 < end) {
        list.negated = true;
        ++p;
    }
    std::vector<char32_t> items;
    while (p < end)
        items.push_back(decodeUtf8(p, end));
    for (size_t i = 0; i < items.size(); ++i) {
        if (i + 2 < items.size() && items[i + 1] == '-') {
            if (items[i] > items[i + 2])
                throw DbError(
                    QStringLiteral("Patrón no válido «%1»: el intervalo «%2-%3» está al revés.")
                        .arg(shown(pattern), QString::fromUcs4(&items[i], 1),
                             QString::fromUcs4(&items[i + 2], 1)));
            list.ranges.push_back({items[i], items[i + 2]});
            i += 2;
        } else {
            list.ranges.push_back({items[i], items[i]});
        }
    }
    m_tokens.push_back({Kind::List, char32_t(m_lists.size())});
    m_lists.push_back(std::move(list));
}

// Prepares the search of the segment being closed: the start filter from its first token, and
// the bytes of an ASCII word.
void JetPattern::closeSegment()
{
    Segment& segment = m_segments.back();
    if (segment.size() == 0)
        return;
    const Token& first = m_tokens[segment.begin];
    auto& start = segment.startBytes;
    if (first.kind == Kind::Digit) {
        for (int b = '0'; b <= '9'; ++b)
            start[b] = true;
        segment.filtered = true;
    } else if (first.kind == Kind::Literal) {
        const char32_t c = first.value;
        if (c < 0x80) {
            for (int b = 0; b < 128; ++b)
                start[b] = asciiFold[b] == c;
            if (foreignLeads()[c] != 0)
                std::fill(start.begin() + 0x80, start.end(), true);
        } else if (c >= invalidByteBase) {
            start[c - invalidByteBase] = true;
        } else {
            std::fill(start.begin() + 0x80, start.end(), true);
        }
        segment.filtered = true;
    }
    for (uint32_t i = segment.begin; i < segment.end; ++i) {
        const Token& token = m_tokens[i];
        if (token.kind != Kind::Literal || token.value >= 0x80 ||
            (i < segment.begin + 2 && foreignLeads()[token.value] == 0xFF)) {
            segment.ascii.clear();
            return;
        }
        segment.ascii += char(token.value);
    }
    segment.asciiLeads[0] = foreignLeads()[uchar(segment.ascii[0])];
    if (segment.ascii.size() > 1)
        segment.asciiLeads[1] = foreignLeads()[uchar(segment.ascii[1])];
}

bool JetPattern::listMatches(const List& list, char32_t c) const noexcept
{
    const char32_t forms[] = {c, foldCase(c), c < invalidByteBase ? QChar::toUpper(c) : c,
                              c < invalidByteBase ? QChar::toLower(c) : c};
    for (const Range& range : list.ranges)
        for (char32_t form : forms)
            if (form >= range.low && form <= range.high)
                return !list.negated;
    return list.negated;
}

inline bool JetPattern::tokenMatches(const Token& token, char32_t c) const noexcept
{
    switch (token.kind) {
    case Kind::Literal:
        return foldCase(c) == token.value;
    case Kind::AnyChar:
        return true;
    case Kind::Digit:
        return c >= '0' && c <= '9';
    case Kind::List:
        return listMatches(m_lists[token.value], c);
    }
    return false;
}

// Matches the segment at `p`; on success moves `p` past the matched characters.
inline bool JetPattern::matchHere(const Segment& segment, Cursor& p, Cursor end) const noexcept
{
    Cursor q = p;
    for (uint32_t i = segment.begin; i < segment.end; ++i) {
        if (q == end)
            return false;
        const Token& token = m_tokens[i];
        if (token.kind == Kind::Literal && *q < 0x80) { // the common case, kept tight
            if (asciiFold[*q] != token.value)
                return false;
            ++q;
        } else if (!tokenMatches(token, decodeUtf8(q, end))) {
            return false;
        }
    }
    p = q;
    return true;
}

// find() for a segment of ASCII characters. Candidates are the places where the first two
// bytes, with bit 0x20 set, equal those of the segment: setting that bit folds an ASCII letter
// and keeps any byte from 0x80 up out of the ASCII range, so no ASCII match is missed and each
// candidate is an ASCII byte, thus on a character boundary. The places where a non-ASCII
// character folding to one of the first two begins (a lead byte, also on a boundary) are
// candidates too. Each candidate is checked in full, by matchHere() once a byte from 0x80 up
// shows up.
bool JetPattern::findAscii(const Segment& segment, Cursor& p, Cursor end) const noexcept
{
    const auto* const literal = reinterpret_cast<const unsigned char*>(segment.ascii.data());
    const size_t size = segment.ascii.size();
    if (size_t(end - p) < size)
        return false;
    const Cursor last = end - size; // the last place a match may begin
    const auto matchesAt = [&](Cursor at) {
        for (size_t i = 0; i < size; ++i) {
            if (at[i] >= 0x80) {
                Cursor q = at;
                if (!matchHere(segment, q, end))
                    return false;
                p = q;
                return true;
            }
            if (asciiFold[at[i]] != literal[i])
                return false;
        }
        p = at + size;
        return true;
    };
    const bool pair = size > 1;
    const unsigned char first = literal[0] | 0x20;
    const unsigned char second = pair ? literal[1] | 0x20 : 0;
    const unsigned char firstLead = segment.asciiLeads[0];
    const unsigned char secondLead = segment.asciiLeads[1];
    Cursor at = p;
#if defined(__SSE2__)
    // Sixteen places at a time, the second bytes of the pairs loaded one byte further on; the
    // last block ends at the end of the text and skips the places already seen.
    const ptrdiff_t reach = pair ? 17 : 16;
    if (end - at >= reach) {
        const __m128i bit = _mm_set1_epi8(0x20);
        const auto equalMask = [](__m128i block, unsigned char b) {
            return b ? unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(char(b)))))
                     : 0u;
        };
        const Cursor lastBlock = end - reach;
        for (Cursor next = at;; next += 16) {
            const Cursor block = std::min(next, lastBlock);
            const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
            unsigned candidates = equalMask(_mm_or_si128(raw, bit), first);
            if (pair) {
                const __m128i following =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1));
                candidates &= equalMask(_mm_or_si128(following, bit), second) |
                              equalMask(following, secondLead);
            }
            candidates |= equalMask(raw, firstLead);
            candidates &= ~0u << (next - block);
            for (; candidates != 0; candidates &= candidates - 1) {
                const Cursor candidate = block + std::countr_zero(candidates);
                if (candidate > last)
                    return false;
                if (matchesAt(candidate))
                    return true;
            }
            if (block == lastBlock)
                return false;
        }
    }
#endif
    for (; at <= last; ++at)
        if (((at[0] | 0x20) == first || (firstLead && at[0] == firstLead)) && matchesAt(at))
            return true;
    return false;
}

// Finds the leftmost match of the segment at or after `p` and moves `p` past it. Leftmost is
// enough: every token matches exactly one character, so an earlier match never leaves less
// room for what follows.
bool JetPattern::find(const Segment& segment, Cursor& p, Cursor end) const noexcept
{
    if (!segment.ascii.empty())
        return findAscii(segment, p, end);
    Cursor at = p;
    while (at < end) {
        if (segment.filtered) {
            // Only ASCII bytes are ever skipped here, or only bytes from 0x80 up; either way
            // `at` stays on a character boundary, as a byte after an ASCII byte begins one.
            while (at < end && !segment.startBytes[*at])
                ++at;
            if (at == end)
                return false;
        }
        Cursor q = at;
        if (matchHere(segment, q, end)) {
            p = q;
            return true;
        }
        decodeUtf8(at, end);
    }
    return false;
}

// Matches the segment against the last characters of the subject from `p` on.
bool JetPattern::matchTail(const Segment& segment, Cursor p, Cursor end) const noexcept
{
    size_t count = 0;
    for (Cursor q = p; q < end; ++count)
        decodeUtf8(q, end);
    if (count < segment.size())
        return false;
    for (size_t skip = count - segment.size(); skip > 0; --skip)
        decodeUtf8(p, end);
    return matchHere(segment, p, end);
}

bool JetPattern::matches(std::string_view subject) const noexcept
{
    Cursor p = reinterpret_cast<Cursor>(subject.data());
    const Cursor end = p + subject.size();
    if (!matchHere(m_segments.front(), p, end))
        return false;
    if (!m_hasStar)
        return p == end;
    if (m_segments.size() == 1)
        return true;
    for (size_t i = 1; i + 1 < m_segments.size(); ++i)
        if (!find(m_segments[i], p, end))
            return false;
    const Segment& last = m_segments.back();
    return last.size() == 0 || matchTail(last, p, end);
}

} // namespace vemtaro::db
