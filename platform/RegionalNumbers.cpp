#include "RegionalNumbers.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace vemtaro::platform {
namespace {

/// A number read from text, kept exactly: digits × 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits; ///< no leading or trailing zeros; empty for zero
    long long exponent = 0;
};

/// Exponents beyond this bound are far outside every range used here; clamping them keeps
/// the arithmetic on exponents from overflowing.
constexpr long long exponentBound = 1'000'000;

Decimal makeDecimal(bool negative, std::string digits, long long exponent)
{
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return {negative, {}, 0};
    digits.erase(0, first);
    const auto last = digits.find_last_not_of('0');
    exponent += static_cast<long long>(digits.size() - last - 1);
    digits.erase(last + 1);
    return {negative, std::move(digits), exponent};
}

/// Walks a text token by token.
class Scanner {
public:
    explicit Scanner(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    bool take(QStringView token)
    {
        if (token.isEmpty() || !m_text.sliced(m_pos).startsWith(token))
            return false;
        m_pos += token.size();
        return true;
    }

    bool takeDigit(std::string& into)
    {
        if (atEnd() || m_text[m_pos] < u'0' || m_text[m_pos] > u'9')
            return false;
        into += char(m_text[m_pos++].unicode());
        return true;
    }

    /// Skips the characters blanks() accepts.
    template <class Blanks> void skip(Blanks blanks)
    {
        while (!atEnd() && blanks(m_text[m_pos]))
            ++m_pos;
    }

    qsizetype position() const { return m_pos; }
    void rewind(qsizetype position) { m_pos = position; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

bool takeMinus(Scanner& scan, const QLocale& locale)
{
    return scan.take(locale.negativeSign()) || scan.take(u"-");
}

bool takePlus(Scanner& scan, const QLocale& locale)
{
    return scan.take(locale.positiveSign()) || scan.take(u"+");
}

/// Reads "E", an optional sign and at least one digit; false (and nothing taken) otherwise.
template <class Blanks>
bool takeExponent(Scanner& scan, const QLocale& locale, long long& exponent, Blanks blanks)
{
    const qsizetype start = scan.position();
    if (!scan.take(u"e") && !scan.take(u"E")) {
        scan.rewind(start);
        return false;
    }
    scan.skip(blanks);
    const bool negative = takeMinus(scan, locale);
    if (!negative)
        takePlus(scan, locale);
    std::string digits;
    for (scan.skip(blanks); scan.takeDigit(digits); scan.skip(blanks)) {
    }
    if (digits.empty()) {
        scan.rewind(start);
        return false;
    }
    long long value = 0;
    for (char digit : digits)
        value = std::min(value * 10 + (digit - '0'), exponentBound);
    exponent = negative ? -value : value;
    return true;
}

constexpr auto noBlanks = [](QChar) { return false; };
constexpr auto isBlank = [](QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
};

/// The whole text as a number written with the regional separators.
std::optional<Decimal> readRegional(const QString& text)
{
    const QLocale locale;
    Scanner scan(QStringView(text).trimmed());
    const bool negative = takeMinus(scan, locale);
    if (!negative)
        takePlus(scan, locale);

    // Thousands separators stand only between groups: 1 to 3 digits first, then groups of 3.
    std::string digits;
    int groupLength = 0;
    bool grouped = false;
    for (;;) {
        if (scan.takeDigit(digits)) {
            ++groupLength;
        } else if (scan.take(locale.groupSeparator())) {
            if (groupLength == 0 || groupLength > 3 || (grouped && groupLength != 3))
                return std::nullopt;
            grouped = true;
            groupLength = 0;
        } else {
            break;
        }
    }
    if (grouped && groupLength != 3)
        return std::nullopt;

    long long fractionDigits = 0;
    if (scan.take(locale.decimalPoint()))
        for (; scan.takeDigit(digits); ++fractionDigits) {
        }
    if (digits.empty())
        return std::nullopt;

    long long exponent = 0;
    takeExponent(scan, locale, exponent, noBlanks);
    if (!scan.atEnd())
        return std::nullopt;
    return makeDecimal(negative, std::move(digits), exponent - fractionDigits);
}

/// The longest leading number with a period as decimal point, blanks skipped.
Decimal readLeading(const QString& text)
{
    const QLocale c = QLocale::c();
    Scanner scan(text);
    scan.skip(isBlank);
    const bool negative = takeMinus(scan, c);
    if (!negative)
        takePlus(scan, c);

    std::string digits;
    for (scan.skip(isBlank); scan.takeDigit(digits); scan.skip(isBlank)) {
    }
    long long fractionDigits = 0;
    if (scan.take(u"."))
        for (scan.skip(isBlank); scan.takeDigit(digits); scan.skip(isBlank))
            ++fractionDigits;
    if (digits.empty())
        return {};
    long long exponent = 0;
    takeExponent(scan, c, exponent, isBlank);
    return makeDecimal(negative, std::move(digits), exponent - fractionDigits);
}

/// The nearest double; nothing when beyond its range (tiny values become 0).
std::optional<double> toDouble(const Decimal& number)
{
    if (number.digits.empty())
        return 0.0;
    const long long integerDigits = static_cast<long long>(number.digits.size()) + number.exponent;
    if (integerDigits > std::numeric_limits<double>::max_exponent10 + 1)
        return std::nullopt;
    if (integerDigits < std::numeric_limits<double>::min_exponent10 - 20)
        return 0.0;
    const std::string text = number.digits + 'e' + std::to_string(number.exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range)
        return integerDigits > 0 ? std::nullopt : std::optional(0.0);
    return number.negative ? -value : value;
}

/// The magnitude in ten-thousandths, rounded with halves to even; nothing beyond 19 digits.
std::optional<std::uint64_t> tenThousandths(const Decimal& number)
{
    constexpr long long maxDigits = std::numeric_limits<std::uint64_t>::digits10; // 19
    const long long shift = number.exponent + 4;
    const long long kept = static_cast<long long>(number.digits.size()) + shift;
    if (number.digits.empty() || kept < 0)
        return 0;
    if (kept > maxDigits)
        return std::nullopt;

    std::uint64_t value = 0;
    for (long long i = 0; i < kept; ++i)
        value = value * 10 +
                (i < static_cast<long long>(number.digits.size()) ? number.digits[i] - '0' : 0);
    if (shift < 0) {
        // number.digits has no trailing zeros, so anything after the first dropped digit is
        // not zero.
        const char firstDropped = number.digits[kept];
        const bool moreDropped = static_cast<long long>(number.digits.size()) > kept + 1;
        if (firstDropped > '5' || (firstDropped == '5' && (moreDropped || value % 2 == 1)))
            ++value;
    }
    return value;
}

QString grouped(std::uint64_t whole, const QString& separator)
{
    QString digits = QString::number(whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, separator);
    return digits;
}

/// The region the environment names for numbers, as POSIX looks it up; empty for none.
QString environmentRegion()
{
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

void useRegionalSettings()
{
    // "C.UTF-8" and "POSIX@euro" are still the C locale: a codeset or a modifier names no region.
    const QString region = environmentRegion().section(u'.', 0, 0).section(u'@', 0, 0);
    const bool named =
        !region.isEmpty() && region != QLatin1String("C") && region != QLatin1String("POSIX");
    // A kiosk or a fresh machine often starts with no region at all; the clerks write Spanish
    // numbers.
    QLocale::setDefault(named ? QLocale::system() : QLocale(QLocale::Spanish, QLocale::Argentina));
}

std::optional<double> toNumber(const QString& text)
{
    const auto number = readRegional(text);
    return number ? toDouble(*number) : std::nullopt;
}

double leadingNumber(const QString& text)
{
    const Decimal number = readLeading(text);
    if (const auto value = toDouble(number))
        return *value;
    return number.negative ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
}

QString toText(double value)
{
    Q_ASSERT(std::isfinite(value));
    if (value == 0) // no "-0"
        return QStringLiteral("0");
    QString text = QString::number(value, 'G', 15);
    text.replace(u'.', QLocale().decimalPoint());
    return text;
}

MoneyText moneyFormat(const QString& text)
{
    const auto number = readRegional(text);
    if (!number)
        return {{}, MoneyError::notANumber};
    // The fixed-point range is that of a signed 64-bit count of ten-thousandths.
    constexpr std::uint64_t largestPositive = std::numeric_limits<std::int64_t>::max();
    const auto magnitude = tenThousandths(*number);
    if (!magnitude || *magnitude > largestPositive + (number->negative ? 1 : 0))
        return {{}, MoneyError::outOfRange};

    const std::uint64_t cents = *magnitude / 100 + (*magnitude % 100 >= 50 ? 1 : 0);
    const QLocale locale;
    QString money = grouped(cents / 100, locale.groupSeparator()) + locale.decimalPoint() +
                    QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    if (number->negative && cents != 0)
        money.prepend(locale.negativeSign());
    return {money, std::nullopt};
}

} // namespace vemtaro::platform
