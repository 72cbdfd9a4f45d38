#include "JetPattern.h"

#include "DbError.h"

#include <QChar>
#include <QString>

namespace vemtaro::db {

namespace {

constexpr std::array<unsigned char, 128> asciiFold = [] {
    std::array<unsigned char, 128> fold{};
    for (int c = 0; c < 128; ++c)
        fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return fold;
}();

/// True for the ASCII letters that some non-ASCII character folds to (the Kelvin sign to k,
/// the long s to s): a search for them must look at non-ASCII characters as well.
const std::array<bool, 128>& foldedFromOutside()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (char32_t c = 0x80; c < invalidByteBase; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded < 0x80)
                t[folded] = true;
        }
        return t;
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

} // namespace

char32_t decodeUtf8(const unsigned char*& p, const unsigned char* end) noexcept
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

char32_t foldCase(char32_t c) noexcept
{
    if (c < 0x80)
        return asciiFold[c];
    if (c >= invalidByteBase)
        return c;
    return QChar::toCaseFolded(c);
}

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

// Fills the start filter of the segment being closed from its first token.
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
            if (foldedFromOutside()[c])
                std::fill(start.begin() + 0x80, start.end(), true);
        } else if (c >= invalidByteBase) {
            start[c - invalidByteBase] = true;
        } else {
            std::fill(start.begin() + 0x80, start.end(), true);
        }
        segment.filtered = true;
    }
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

// Finds the leftmost match of the segment at or after `p` and moves `p` past it. Leftmost is
// enough: every token matches exactly one character, so an earlier match never leaves less
// room for what follows.
bool JetPattern::find(const Segment& segment, Cursor& p, Cursor end) const noexcept
{
    Cursor at = p;
    while (at < end) {
        if (segment.filtered) {
            // Only ASCII bytes are ever skipped here, and a byte after an ASCII byte always
            // begins a character, so `at` stays on a character boundary.
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
