#include "SpanishCollator.h"

#include "DbError.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <array>

namespace vemtaro::db {

namespace {

UCollator* openSpanish()
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("es", &status);
    // Secondary strength: letters and accents count, case does not. Normalized, so that an
    // accent typed as a letter of its own (a pasted "é" as "e" and U+0301) changes nothing.
    if (U_SUCCESS(status)) {
        ucol_setStrength(collator, UCOL_SECONDARY);
        ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    }
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING) {
        ucol_close(collator);
        throw DbError(QStringLiteral("No se puede cargar el orden alfabético español (%1).")
                          .arg(QString::fromLatin1(u_errorName(status))));
    }
    return collator;
}

// Appends the collator's key of `utf8`; `utf16` is scratch room.
void appendIcuKey(UCollator* collator, std::string_view utf8, std::vector<char16_t>& utf16,
                  std::string& key)
{
    // UTF-16 never has more units than UTF-8 has bytes.
    if (utf16.size() < utf8.size())
        utf16.resize(utf8.size());
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(utf16.data(), int32_t(utf16.size()), &length, utf8.data(),
                         int32_t(utf8.size()), 0xFFFD, nullptr, &status);
    const size_t start = key.size();
    // Most keys fit in a few bytes per character; ask again with the size given when not.
    size_t room = 2 * utf8.size() + 8;
    while (true) {
        key.resize(start + room);
        const int32_t size =
            ucol_getSortKey(collator, utf16.data(), length,
                            reinterpret_cast<uint8_t*>(key.data() + start), int32_t(room));
        if (size_t(size) <= room) {
            key.resize(start + size_t(size));
            return;
        }
        room = size_t(size);
    }
}

/// Keys of short ASCII texts written without the collator, byte for byte as it writes them.
///
/// Most ASCII characters have one collation element each, with a primary weight of a byte or
/// two and the common secondary weight; a text of such characters has the key "their primary
/// bytes, 01, the secondary bytes of that many common weights, 00". Which characters behave
/// so is asked of the collator once, for each character and each pair of them (a primary's
/// bytes can depend only on the one before), so a change of collation data changes the set
/// rather than the order. Codes are keyed this way at a small fraction of the collator's cost.
class AsciiKeys {
public:
    static constexpr size_t longest = 64;

    AsciiKeys()
    {
        UCollator* const collator = openSpanish();
        std::vector<char16_t> utf16;
        const auto icuKey = [&](const std::string& text) {
            std::string key;
            appendIcuKey(collator, text, utf16, key);
            return key;
        };
        for (size_t n = 1; n <= longest; ++n) {
            const std::string key = icuKey(std::string(n, 'a'));
            m_secondaries[n] = key.substr(key.find('\x01'));
        }
        std::string candidates;
        for (char c = ' '; c <= '~'; ++c) {
            const std::string key = icuKey(std::string(1, c));
            const size_t end = key.find('\x01');
            if (end != 0 && end != std::string::npos && key.substr(end) == m_secondaries[1]) {
                m_primaries[uchar(c)] = key.substr(0, end);
                candidates += c;
            }
        }
        std::vector<char> refused;
        for (const char a : candidates)
            for (const char b : candidates)
                if (icuKey({a, b}) !=
                    m_primaries[uchar(a)] + m_primaries[uchar(b)] + m_secondaries[2])
                    refused.insert(refused.end(), {a, b});
        for (const char c : refused)
            m_primaries[uchar(c)].clear();
        ucol_close(collator);
    }

    /// Appends the key of `text` and returns true when every character of it has a known
    /// primary; else returns false and leaves `key` as it was.
    bool append(std::string_view text, std::string& key) const
    {
        if (text.empty() || text.size() > longest)
            return false;
        const size_t start = key.size();
        for (const char c : text) {
            if (uchar(c) >= 0x80 || m_primaries[uchar(c)].empty()) {
                key.resize(start);
                return false;
            }
            key += m_primaries[uchar(c)];
        }
        key += m_secondaries[text.size()];
        return true;
    }

private:
    std::array<std::string, 128> m_primaries;           ///< empty: not keyed here
    std::array<std::string, longest + 1> m_secondaries; ///< from the level separator on
};

} // namespace

SpanishCollator::SpanishCollator() : m_collator(openSpanish()) {}

SpanishCollator::~SpanishCollator()
{
    ucol_close(m_collator);
}

void SpanishCollator::appendSortKey(std::string_view utf8, std::string& key)
{
    static const AsciiKeys ascii;
    if (!ascii.append(utf8, key))
        appendIcuKey(m_collator, utf8, m_utf16, key);
}

} // namespace vemtaro::db
