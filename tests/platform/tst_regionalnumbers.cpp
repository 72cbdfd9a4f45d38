#include "platform/RegionalNumbers.h"

#include <QLocale>
#include <QTest>
#include <cmath>
#include <limits>

using namespace vemtaro::platform;

namespace {

const double none = std::numeric_limits<double>::quiet_NaN(); // "nothing read" in the table

/// A row named after its locale and text.
void row(const char* locale, const char* text, double number, const char* money)
{
    QTest::addRow("%s \"%s\"", locale, text)
        << locale << QString::fromUtf8(text) << number << money;
}

/// `text` with periods and commas swapped: an es_AR text in en_US separators.
QString swapSeparators(const char* text)
{
    return QString::fromLatin1(text).replace(u'.', u'#').replace(u',', u'.').replace(u'#', u',');
}

} // namespace

class TestRegionalNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void theEnvironmentNamesTheRegion_data()
    {
        QTest::addColumn<QByteArrayList>("environment"); // LC_ALL, LC_NUMERIC, LANG; "-" unset
        QTest::addColumn<bool>("spanish");
        using Env = QByteArrayList;
        QTest::newRow("nothing set") << Env{"-", "-", "-"} << true;
        QTest::newRow("all empty") << Env{"", "", ""} << true;
        QTest::newRow("C") << Env{"-", "-", "C"} << true;
        QTest::newRow("POSIX") << Env{"", "", "POSIX"} << true;
        QTest::newRow("C with a codeset") << Env{"-", "-", "C.UTF-8"} << true;
        QTest::newRow("LC_ALL decides first") << Env{"C", "-", "en_US.UTF-8"} << true;
        QTest::newRow("then LC_NUMERIC") << Env{"", "POSIX", "en_US.UTF-8"} << true;
        QTest::newRow("a named region") << Env{"-", "-", "en_US.UTF-8"} << false;
        QTest::newRow("a named region for numbers") << Env{"", "en_US.UTF-8", "C"} << false;
        QTest::newRow("a named region over all") << Env{"en_US.UTF-8", "C", "C"} << false;
    }

    void theEnvironmentNamesTheRegion()
    {
        QFETCH(QByteArrayList, environment);
        QFETCH(bool, spanish);
        // Each row sets or unsets all three; the system region stays the en_US main() fixed.
        const char* const names[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
        for (int i = 0; i < 3; ++i)
            environment[i] == "-" ? qunsetenv(names[i]) : qputenv(names[i], environment[i]);
        useRegionalSettings();
        QCOMPARE(QLocale().name(), spanish ? QStringLiteral("es_AR") : QLocale::system().name());
    }

    void readAsNumberAndAsMoney_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("money"); // "!range" or "!nan" for the errors

        row("es_AR", "1234567,891", 1234567.891, "1.234.567,89");
        row("es_AR", ",5", 0.5, "0,50");
        // Two decimals: halves away from zero.
        row("es_AR", "0,125", 0.125, "0,13");
        row("es_AR", "-0,125", -0.125, "-0,13");
        row("es_AR", "999,995", 999.995, "1.000,00");
        // Four decimals first, halves to even; the second rounding works on that result.
        row("es_AR", "0,12495", 0.12495, "0,13");
        row("es_AR", "0,00005", 0.00005, "0,00");
        row("es_AR", "-0,004", -0.004, "0,00"); // rounds to zero: no minus
        row("es_AR", "1e-400", 0.0, "0,00");
        // The fixed-point range ends at ±922 337 203 685 477,5807 (-…5808 below).
        row("es_AR", "922337203685477,5807", 922337203685477.5807, "922.337.203.685.477,58");
        row("es_AR", "922337203685477,5808", 922337203685477.5808, "!range");
        row("es_AR", "922337203685477,58075", 922337203685477.58075, "!range");
        row("es_AR", "-922337203685477,5808", -922337203685477.5808, "-922.337.203.685.477,58");
        row("es_AR", "-922337203685477,5809", -922337203685477.5809, "!range");
        row("es_AR", "1e400", none, "!range");
        row("es_AR", "1e999999999999", none, "!range");
        row("en_US", "-1,234,567.891", -1234567.891, "-1,234,567.89");
        row("es_AR", "12.345.678", 12345678, "12.345.678,00");
        row("en_US", "0,500", 500, "500.00");
        // A thousands separator stands only between groups: 1 to 3 digits first, then groups of
        // three, all before the decimal separator.
        for (const char* locale : {"es_AR", "en_US"}) {
            const bool es = QLatin1String(locale) == QLatin1String("es_AR");
            for (const char* text :
                 {"1000.5", "1.00", "1.0000", "12.34.567", "1.234.56,7", "1234.567", ".100",
                  "-.100", "100.", "1.000.", "1.000.,5", "1..000", "1,000.000", "1,5.000", "1.2E3"})
                row(locale, es ? text : qPrintable(swapSeparators(text)), none, "!nan");
        }
    }

    void readAsNumberAndAsMoney()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, number);
        QFETCH(QString, money);
        QLocale::setDefault(QLocale(locale));
        const auto value = toNumber(text);
        if (std::isnan(number))
            QVERIFY2(!value, qPrintable(QString::number(value.value_or(0))));
        else
            QCOMPARE(value, std::optional(number));

        const MoneyText formatted = moneyFormat(text);
        QCOMPARE(formatted.error == MoneyError::outOfRange ? "!range"
                 : formatted.error                         ? "!nan"
                                                           : formatted.text,
                 money);
        if (formatted.ok()) // a formatted amount reads back to itself
            QCOMPARE(moneyFormat(formatted.text).text, money);
    }

    void leadingNumberTakesWhatLeads()
    {
        // The region must not matter: the point is always the decimal point, and blanks are
        // skipped.
        for (const char* locale : {"es_AR", "en_US"}) {
            QLocale::setDefault(QLocale(locale));
            QCOMPARE(leadingNumber(" - 12 3.5kg"), -123.5);
            QCOMPARE(leadingNumber("1.2.3"), 1.2);
            QCOMPARE(leadingNumber("2E+"), 2.0);
            QCOMPARE(leadingNumber("+.5e-1"), 0.05);
            QCOMPARE(leadingNumber("abc"), 0.0);
            QCOMPARE(leadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
        }
    }

    void toTextWritesFifteenDigits()
    {
        // The text, when it reads back to about the value.
        const auto written = [](double value) {
            const QString text = toText(value);
            const auto back = toNumber(text);
            return back && std::abs(*back - value) <= std::abs(value) * 1e-14 ? text : QString();
        };
        QLocale::setDefault(QLocale(QStringLiteral("es_AR")));
        QCOMPARE(written(999.0 / 7), QStringLiteral("142,714285714286"));
        QCOMPARE(written(1.5e-5), QStringLiteral("1,5E-05"));
        QCOMPARE(written(-0.0), QStringLiteral("0"));
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QCOMPARE(written(-1e300 / 7), QStringLiteral("-1.42857142857143E+299"));
    }
};

int main(int argc, char** argv)
{
    // A system region other than the Spanish one, so that following it can be told apart.
    qputenv("LC_ALL", "en_US.UTF-8");
    QCoreApplication app(argc, argv);
    QLocale::system();
    TestRegionalNumbers test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_regionalnumbers.moc"
