#include "app/SizeText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace {

const std::optional<std::int32_t> none = std::nullopt;

struct BytesRow {
    const char* name;
    std::u16string text;
    std::optional<std::int32_t> bytes;
};

TEST(SizeText, Bytes) {
    const std::u16string many(5000, u'0');
    const BytesRow rows[] = {
        {"default 1.38", u"1.38", 1447035},
        {"whole 2", u"2", 2097152},
        {"half 0.5", u"0.5", 524288},
        {"comma ends the number", u"1,5", 1048576},
        {"blanks inside the number", u" 1 .5", 1572864},
        {"tab and line feed inside", u"\t1\n.\t5", 1572864},
        {"carriage return ends it", u"1\r5", 1048576},
        {"hexadecimal", u"&H10", 16777216},
        {"hexadecimal lower case", u"&h1f", 32505856},
        {"octal", u"&O17", 15728640},
        {"octal stops at 8", u"&o18", 1048576},
        {"exponent E", u"1e3", 1048576000},
        {"exponent E small", u"1e-3", 1049},
        {"exponent D", u"1D2", 104857600},
        {"exponent d lower", u"1d2", 104857600},
        {"negative", u"-1", -1048576},
        {"plus sign", u"+2", 2097152},
        {"blank after sign", u"- 1", -1048576},
        {"empty", u"", 0},
        {"only blanks", u"   ", 0},
        {"not a number", u"abc", 0},
        {"number after text", u"abc12", 0},
        {"leading point", u".5", 524288},
        {"trailing point", u"5.", 5242880},
        {"second point ends it", u"1.5.5", 1572864},
        {"units after the number", u"1.38 MB", 1447035},
        {"exactly 2.5 bytes to even 2", u"0.000002384185791015625", 2},
        {"exactly 3.5 bytes to even 4", u"0.000003337860107421875", 4},
        {"just below 2.5 bytes", u"0.00000238418579101562", 2},
        {"largest that fits", u"2047.99999904632568359375", 2147483647},
        {"2048 does not fit", u"2048", none},
        {"far beyond", u"1e400", none},
        {"most negative fits", u"-2048", -2147483647 - 1},
        {"below the most negative", u"-2048.000001", none},
        {"negative zero", u"-0", 0},
        {"tiny rounds to zero", u"1e-400", 0},
        {"lone ampersand", u"&", 0},
        {"hex without digits", u"&H", 0},
        {"ampersand other letter", u"&X10", 0},
        {"32-bit hex literal is its plain value", u"&HFFFFFFFF", none},
        {"blank inside hex", u"&H 1 0", 16777216},
        {"exponent without digits", u"1e", 1048576},
        {"exponent sign without digits", u"1e+", 1048576},
        {"lone plus", u"+", 0},
        {"lone minus", u"-", 0},
        {"lone point", u".", 0},
        {"sign and point", u"-.", 0},
        {"double sign", u"--1", 0},
        {"non-breaking space is not a blank", u"\u00A01", 0},
        {"full-width digit is not a digit", u"\uFF11", 0},
        {"huge exponent digits", u"1e99999999999999999999999", none},
        {"huge negative exponent digits", u"1e-99999999999999999999999", 0},
        {"many leading zeros", many + u"1", 1048576},
        {"many fraction zeros then exponent", u"0." + many + u"1e5001", 1048576},
        // Long texts are read in one pass; the test's time limit catches a reading that is not.
        {"long digits", std::u16string(100000, u'9'), none},
        {"long fraction digits", u"1." + std::u16string(100000, u'3'), 1398101},
        {"long blanks", std::u16string(100000, u' ') + u"1", 1048576},
        {"long letters", std::u16string(100000, u'x'), 0},
        {"long hex digits", u"&H" + std::u16string(100000, u'f'), none},
        {"long exponent digits", u"1e" + std::u16string(100000, u'9'), none},
    };
    for (const BytesRow& row : rows)
        EXPECT_EQ(SizeText::sizeTextToBytes(row.text), row.bytes) << row.name;
}

TEST(SizeText, Megabytes) {
    const struct {
        std::u16string text;
        double megabytes;
    } rows[] = {
        {u"1.38", 1.38},
        {u"  \t\n 2.25", 2.25},
        {u"1 e 2", 100.0},
        {u"25E-1", 2.5},
        {u"&HFFFFFFFF", 4294967295.0},
        {u"1e400", HUGE_VAL},
        {u"-1e400", -HUGE_VAL},
        {u"&H" + std::u16string(300, u'F'), HUGE_VAL},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SizeText::readMegabytes(row.text), row.megabytes) << row.text.size() << " characters";
}

} // namespace
