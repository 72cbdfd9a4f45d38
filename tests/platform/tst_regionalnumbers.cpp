#include "platform/RegionalNumbers.h"

#include <QLocale>
#include <QTest>
#include <cmath>
#include <limits>

using namespace vemtaro::platform;

class TestRegionalNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void toNumberReadsTheWholeText_data();
    void toNumberReadsTheWholeText();
    void leadingNumberTakesWhatLeads_data();
    void leadingNumberTakesWhatLeads();
    void toTextWritesFifteenDigits_data();
    void toTextWritesFifteenDigits();
    void toTextReadsBack();
    void moneyFormat_data();
    void moneyFormat();
};

namespace {
const double none = std::numeric_limits<double>::quiet_NaN(); // "nothing read" in the tables
const double inf = std::numeric_limits<double>::infinity();
} // namespace

void TestRegionalNumbers::toNumberReadsTheWholeText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const auto row = [](const char* locale, const char* text, double expected) {
        QTest::addRow("%s \"%s\"", locale, text) << locale << QString::fromUtf8(text) << expected;
    };
    row("es_AR", "2500,50", 2500.5);
    row("es_AR", "1.000,5", 1000.5);
    row("es_AR", "-1.665,00", -1665);
    row("es_AR", "922.337.203.685.477,58", 922337203685477.58);
    row("es_AR", ",5", 0.5);
    row("es_AR", "1,5E3", 1500);
    row("es_AR", "0,00", 0);
    row("es_AR", "1e-400", 0);
    row("es_AR", "1000.5", none); // a period is a thousands separator here, misplaced
    row("es_AR", "1.00", none);
    row("es_AR", ".100", none);
    row("es_AR", "1.000.00", none);
    row("es_AR", "", none);
    row("es_AR", "abc", none);
    row("es_AR", "12a", none);
    row("es_AR", "1 000", none);
    row("es_AR", "1e", none);
    row("es_AR", "1e400", none);
    row("en_US", "2500.50", 2500.5);
    row("en_US", "1,000.5", 1000.5);
    row("en_US", "0,00", none);
    row("en_US", "2500,50", none);
}

void TestRegionalNumbers::toNumberReadsTheWholeText()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(locale));

    const auto value = toNumber(text);
    if (std::isnan(expected)) {
        QVERIFY2(!value, qPrintable(QString::number(value.value_or(0))));
    } else {
        QVERIFY(value);
        QCOMPARE(*value, expected);
    }
}

void TestRegionalNumbers::leadingNumberTakesWhatLeads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("whole") << "10" << 10.0;
    QTest::newRow("comma ends it") << "7,5" << 7.0;
    QTest::newRow("blanks inside") << "12 3.5kg" << 123.5;
    QTest::newRow("blanks before") << " \t 10 años" << 10.0;
    QTest::newRow("signed") << "-  4.25" << -4.25;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1e3x" << 1000.0;
    QTest::newRow("signed bare exponent") << "2E+" << 2.0;
    QTest::newRow("point first") << "+.5e-1" << 0.05;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("too large") << "1e999" << inf;
    QTest::newRow("too large negative") << "-1e999" << -inf;
}

void TestRegionalNumbers::leadingNumberTakesWhatLeads()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    // The region must not matter: the point is always the decimal point.
    for (const char* locale : {"es_AR", "en_US"}) {
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(leadingNumber(text), expected);
    }
}

void TestRegionalNumbers::toTextWritesFifteenDigits_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("es fraction") << "es_AR" << 1000.5 << "1000,5";
    QTest::newRow("es negative") << "es_AR" << -0.1 << "-0,1";
    QTest::newRow("es 15 digits") << "es_AR" << 999.0 / 7 << "142,714285714286";
    QTest::newRow("es binary noise") << "es_AR" << 0.1 + 0.2 << "0,3";
    QTest::newRow("es 15 integer digits") << "es_AR" << 123456789012345.0 << "123456789012345";
    QTest::newRow("es large") << "es_AR" << 1e15 << "1E+15";
    QTest::newRow("es small") << "es_AR" << 1.5e-5 << "1,5E-05";
    QTest::newRow("es minus zero") << "es_AR" << -0.0 << "0";
    QTest::newRow("en fraction") << "en_US" << 1000.5 << "1000.5";
}

void TestRegionalNumbers::toTextWritesFifteenDigits()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(toText(value), expected);
}

void TestRegionalNumbers::toTextReadsBack()
{
    for (const char* locale : {"es_AR", "en_US", "fr_FR"}) {
        QLocale::setDefault(QLocale(locale));
        for (double value : {2499.5, -666.0, 1e300, -3.25e-300, 999.0 / 7, 1e15 + 1}) {
            const auto back = toNumber(toText(value));
            QVERIFY2(back, qPrintable(toText(value)));
            QVERIFY(std::abs(*back - value) <= std::abs(value) * 1e-14);
        }
    }
}

void TestRegionalNumbers::moneyFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // "!range" or "!nan" for the errors

    const auto row = [](const char* name, const char* locale, const char* text,
                        const char* expected) {
        QTest::newRow(name) << locale << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("whole", "es_AR", "1", "1,00");
    row("zero", "es_AR", "0", "0,00");
    row("groups", "es_AR", "1234567,891", "1.234.567,89");
    row("negative", "es_AR", "-1665", "-1.665,00");
    row("formatted", "es_AR", "1.000,00", "1.000,00");
    row("formatted negative", "es_AR", "-1.665,00", "-1.665,00");
    row("formatted twelve digits", "es_AR", "999.999.999.999,99", "999.999.999.999,99");
    row("exponent", "es_AR", "1,5E3", "1.500,00");
    // Two decimals: halves away from zero.
    row("half up", "es_AR", "0,125", "0,13");
    row("half negative", "es_AR", "-0,125", "-0,13");
    row("carry", "es_AR", "99,995", "100,00");
    row("carry into a group", "es_AR", "999,995", "1.000,00");
    // Four decimals first, halves to even; the second rounding works on that result.
    row("fifth decimal half rounds up odd", "es_AR", "0,12495", "0,13");
    row("fifth decimal above half", "es_AR", "0,004999", "0,01");
    row("tiny half to even", "es_AR", "0,00005", "0,00");
    row("rounds to zero, no minus", "es_AR", "-0,004", "0,00");
    row("underflow", "es_AR", "1e-400", "0,00");
    // The fixed-point range ends at ±922 337 203 685 477,5807 (-…5808 below).
    row("largest", "es_AR", "922337203685477,5807", "922.337.203.685.477,58");
    row("beyond largest", "es_AR", "922337203685477,5808", "!range");
    row("rounds beyond largest", "es_AR", "922337203685477,58075", "!range");
    row("rounds to largest", "es_AR", "922337203685477,58065", "922.337.203.685.477,58");
    row("smallest", "es_AR", "-922337203685477,5808", "-922.337.203.685.477,58");
    row("half to even stays smallest", "es_AR", "-922337203685477,58085",
        "-922.337.203.685.477,58");
    row("beyond smallest", "es_AR", "-922337203685477,5809", "!range");
    row("far beyond", "es_AR", "1E+15", "!range");
    row("huge exponent", "es_AR", "1e999999999999", "!range");
    row("letters", "es_AR", "12abc", "!nan");
    row("misgrouped", "es_AR", "1.00", "!nan");
    row("en groups", "en_US", "1234567.891", "1,234,567.89");
    row("en formatted", "en_US", "1,000.00", "1,000.00");
    row("en half negative", "en_US", "-0.125", "-0.13");
    row("en comma decimal", "en_US", "0,00", "!nan");
}

void TestRegionalNumbers::moneyFormat()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));

    const MoneyText money = vemtaro::platform::moneyFormat(text);
    if (expected == QLatin1String("!range")) {
        QCOMPARE(money.error, MoneyError::outOfRange);
    } else if (expected == QLatin1String("!nan")) {
        QCOMPARE(money.error, MoneyError::notANumber);
    } else {
        QVERIFY(money.ok());
        QCOMPARE(money.text, expected);
        QCOMPARE(vemtaro::platform::moneyFormat(money.text).text, expected);
    }
}

QTEST_GUILESS_MAIN(TestRegionalNumbers)
#include "tst_regionalnumbers.moc"
