#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vemtaro::db {

/// A compiled Jet LIKE pattern, matched against whole UTF-8 texts.
///
/// Pattern characters:
/// - `*` any run of characters, also none;
/// - `?` exactly one character;
/// - `#` exactly one digit 0 to 9;
/// - `[list]` one character of the list, `[!list]` one character not in it. A list holds
///   single characters and ranges `a-z` (in code point order, so `[a-z]` holds neither `á`
///   nor `ñ`); inside it `*`, `?`, `#` and `[` stand for themselves;
/// - any other character stands for itself, `]` and `!` included.
///
/// Letters match without regard to case (Unicode simple case folding, so `ñ` matches `Ñ`),
/// but accents stay significant (`a` does not match `á`). A character matches a list item when
/// it, its case-folded form, or its upper- or lower-case form lies in the item.
///
/// Corner cases:
/// - `[]` is an empty list: it stands for no character at all, so `a[]b` matches `ab`;
/// - `[!]` holds the single character `!`;
/// - `-` first or last in a list (after a leading `!`) is a plain `-`: `[-a]`, `[a-]`, `[!-]`;
/// - a range written backwards, `[z-a]`, is an error, as is a `[` without its `]`.
///
/// Bytes that are not valid UTF-8 each count as one character, in the pattern and in the
/// subject, and match only the same byte (a `?` matches any of them).
class JetPattern {
public:
    /// Compiles `pattern` (UTF-8). Throws DbError with a Spanish description when it is
    /// malformed.
    explicit JetPattern(std::string_view pattern);

    /// Whether the whole of `subject` (UTF-8) matches.
    bool matches(std::string_view subject) const noexcept;

    /// True for a pattern of `*` only, which every (non-null) text matches unread.
    bool matchesAnyText() const noexcept { return m_hasStar && m_tokens.empty(); }

private:
    enum class Kind : uint8_t { Literal, AnyChar, Digit, List };
    struct Token {
        Kind kind;
        char32_t value; ///< the folded character of a literal; the index of a list
    };
    struct Range {
        char32_t low, high;
    };
    struct List {
        bool negated = false;
        std::vector<Range> ranges;
    };
    /// A run of tokens between stars; each token matches exactly one character.
    struct Segment {
        uint32_t begin = 0, end = 0; ///< token indexes
        /// Bytes that may begin a character matching the first token (when `filtered`).
        bool filtered = false;
        std::array<bool, 256> startBytes{};
        /// For a segment of ASCII literals only (the common search word) its folded bytes,
        /// searched for many bytes at a time; else empty.
        std::string ascii;
        /// The lead bytes of the non-ASCII characters that fold to its first two, or 0.
        unsigned char asciiLeads[2] = {0, 0};
        uint32_t size() const { return end - begin; }
    };
    using Cursor = const unsigned char*;

    void compileList(std::string_view pattern, size_t& pos);
    void closeSegment();
    bool tokenMatches(const Token& token, char32_t c) const noexcept;
    bool listMatches(const List& list, char32_t c) const noexcept;
    bool matchHere(const Segment& segment, Cursor& p, Cursor end) const noexcept;
    bool findAscii(const Segment& segment, Cursor& p, Cursor end) const noexcept;
    bool find(const Segment& segment, Cursor& p, Cursor end) const noexcept;
    bool matchTail(const Segment& segment, Cursor p, Cursor end) const noexcept;

    std::vector<Token> m_tokens;
    std::vector<List> m_lists;
    /// Stars split the pattern into segments: the first is anchored at the start of the
    /// subject and, when there was a star, the last at its end.
    std::vector<Segment> m_segments;
    bool m_hasStar = false;
};

} // namespace vemtaro::db
