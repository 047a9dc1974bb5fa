#include "ui/main/SizeText.h"

#include <QElapsedTimer>
#include <QtTest>
#include <cmath>
#include <optional>

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

namespace {
const std::optional<std::int32_t> none = std::nullopt;
}

class tst_SizeText : public QObject {
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void megabytes_data();
    void megabytes();
    void longTextsAreQuick_data();
    void longTextsAreQuick();
};

void tst_SizeText::bytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<std::int32_t>>("expected");

    auto row = [](const char* name, const QString& text, std::optional<std::int32_t> bytes) {
        QTest::newRow(name) << text << bytes;
    };
    row("default 1.38", "1.38", 1447035);
    row("whole 2", "2", 2097152);
    row("half 0.5", "0.5", 524288);
    row("comma ends the number", "1,5", 1048576);
    row("blanks inside the number", " 1 .5", 1572864);
    row("tab and line feed inside", "\t1\n.\t5", 1572864);
    row("carriage return ends it", "1\r5", 1048576);
    row("hexadecimal", "&H10", 16777216);
    row("hexadecimal lower case", "&h1f", 32505856);
    row("octal", "&O17", 15728640);
    row("octal stops at 8", "&o18", 1048576);
    row("exponent E", "1e3", 1048576000);
    row("exponent E small", "1e-3", 1049);
    row("exponent D", "1D2", 104857600);
    row("exponent d lower", "1d2", 104857600);
    row("negative", "-1", -1048576);
    row("plus sign", "+2", 2097152);
    row("blank after sign", "- 1", -1048576);
    row("empty", "", 0);
    row("only blanks", "   ", 0);
    row("not a number", "abc", 0);
    row("number after text", "abc12", 0);
    row("leading point", ".5", 524288);
    row("trailing point", "5.", 5242880);
    row("second point ends it", "1.5.5", 1572864);
    row("units after the number", "1.38 MB", 1447035);
    row("exactly 2.5 bytes to even 2", "0.000002384185791015625", 2);
    row("exactly 3.5 bytes to even 4", "0.000003337860107421875", 4);
    row("just below 2.5 bytes", "0.00000238418579101562", 2);
    row("largest that fits", "2047.99999904632568359375", 2147483647);
    row("2048 does not fit", "2048", none);
    row("far beyond", "1e400", none);
    row("most negative fits", "-2048", -2147483647 - 1);
    row("below the most negative", "-2048.000001", none);
    row("negative zero", "-0", 0);
    row("tiny rounds to zero", "1e-400", 0);
    row("lone ampersand", "&", 0);
    row("hex without digits", "&H", 0);
    row("ampersand other letter", "&X10", 0);
    row("32-bit hex literal is its plain value", "&HFFFFFFFF", none);
    row("blank inside hex", "&H 1 0", 16777216);
    row("exponent without digits", "1e", 1048576);
    row("exponent sign without digits", "1e+", 1048576);
    row("lone plus", "+", 0);
    row("lone minus", "-", 0);
    row("lone point", ".", 0);
    row("sign and point", "-.", 0);
    row("double sign", "--1", 0);
    row("non-breaking space is not a blank", QString(QChar(0xA0)) + "1", 0);
    row("full-width digit is not a digit", QString(QChar(0xFF11)), 0);
    row("huge exponent digits", "1e99999999999999999999999", none);
    row("huge negative exponent digits", "1e-99999999999999999999999", 0);
    row("many leading zeros", QString(5000, '0') + "1", 1048576);
    row("many fraction zeros then exponent", "0." + QString(5000, '0') + "1e5001", 1048576);
}

void tst_SizeText::bytes() {
    QFETCH(QString, text);
    QFETCH(std::optional<std::int32_t>, expected);
    QCOMPARE(SizeText::sizeTextToBytes(text), expected);
}

void tst_SizeText::megabytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("decimal") << "1.38" << 1.38;
    QTest::newRow("leading blanks") << "  \t\n 2.25" << 2.25;
    QTest::newRow("exponent with blanks") << "1 e 2" << 100.0;
    QTest::newRow("exponent sign") << "25E-1" << 2.5;
    QTest::newRow("hex with large digits") << "&HFFFFFFFF" << 4294967295.0;
    QTest::newRow("overflowing decimal") << "1e400" << HUGE_VAL;
    QTest::newRow("overflowing negative") << "-1e400" << -HUGE_VAL;
    QTest::newRow("overflowing hex") << "&H" + QString(300, 'F') << HUGE_VAL;
}

void tst_SizeText::megabytes() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(SizeText::readMegabytes(text), expected);
}

void tst_SizeText::longTextsAreQuick_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<std::int32_t>>("expected");
    constexpr int n = 100000;
    QTest::newRow("digits") << QString(n, '9') << none;
    QTest::newRow("fraction digits") << "1." + QString(n, '3') << std::optional<std::int32_t>(1398101);
    QTest::newRow("blanks") << QString(n, ' ') + "1" << std::optional<std::int32_t>(1048576);
    QTest::newRow("letters") << QString(n, 'x') << std::optional<std::int32_t>(0);
    QTest::newRow("hex digits") << "&H" + QString(n, 'f') << none;
    QTest::newRow("exponent digits") << "1e" + QString(n, '9') << none;
}

void tst_SizeText::longTextsAreQuick() {
    QFETCH(QString, text);
    QFETCH(std::optional<std::int32_t>, expected);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(SizeText::sizeTextToBytes(text), expected);
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed()) + " ms"));
}

QTEST_APPLESS_MAIN(tst_SizeText)
#include "tst_sizetext.moc"
