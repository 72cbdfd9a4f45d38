#pragma once

#include <QString>
#include <optional>

namespace vemtaro::platform {

// Conversions between numbers and the texts the clerk reads and types. All follow the
// separators of QLocale() (the default locale, set by useRegionalSettings()): es_AR writes one
// thousand and a half as "1.000,5", en_US as "1,000.5".

/// Makes the region the environment names for numbers the default of every conversion: the
/// first of LC_ALL, LC_NUMERIC and LANG that is set and not empty. Where none names a region
/// (all unset or empty, or the first is "C" or "POSIX", with or without a codeset), Spanish
/// (Argentina) conventions apply: decimal comma, period for thousands. Call once at start,
/// before any window reads or writes a number.
void useRegionalSettings();

/// The whole text read as a number with the regional separators: blanks around it, a sign,
/// thousands separators between groups of three digits, a decimal separator, an exponent
/// ("1,5E3"). Empty, non-numeric or misgrouped text, and a value beyond the range of double,
/// give nothing. Under es_AR "1.000,5" reads 1000.5; "1000.5" is misgrouped and reads nothing.
std::optional<double> toNumber(const QString& text);

/// The longest leading part of the text that forms a number with a period as decimal point,
/// whatever the region: sign, digits, point, digits, exponent; blanks anywhere in it are
/// skipped. No number gives 0: "12 3.5kg" gives 123.5, "7,5" gives 7, "abc" gives 0. A
/// leading number beyond the range of double gives an infinity of its sign.
double leadingNumber(const QString& text);

/// `value` as text with up to 15 significant digits, the regional decimal separator and no
/// thousands separators; whole values have no decimals, very large or small ones an exponent
/// ("1E+15"). The text reads back with toNumber(). `value` must be finite.
QString toText(double value);

/// Why moneyFormat() gave no text.
enum class MoneyError {
    notANumber, ///< toNumber() cannot read the text
    outOfRange  ///< beyond the fixed-point range of about ±922 337 203 685 477,58
};

/// The result of moneyFormat(): a formatted amount or the reason there is none.
struct MoneyText {
    QString text;
    std::optional<MoneyError> error;

    bool ok() const { return !error; }
};

/// The text as an amount of money: read with the toNumber() rules into a fixed-point value
/// of four decimals (exact decimal reading, halves to even), then written with the pattern
/// "###,###,###,##0.00": regional thousands groups, at least one integer digit, exactly two
/// decimals rounded with halves away from zero, a leading minus for negatives (none for an
/// amount that rounds to zero). Formatting a formatted amount gives the same text.
MoneyText moneyFormat(const QString& text);

} // namespace vemtaro::platform
