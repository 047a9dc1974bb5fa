#include "app/SizeText.h"

#include <algorithm>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace SizeText {
namespace {

// Blanks, tabs and line feeds may sit anywhere inside a number and are ignored there; a carriage
// return or any other character ends it.
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A cursor over the text that steps over ignorable blanks before every look.
class Cursor {
public:
    explicit Cursor(std::u16string_view text) : m_pos(text.data()), m_end(text.data() + text.size()) {}

    char16_t peek() {
        while (m_pos != m_end && isBlank(*m_pos))
            ++m_pos;
        return m_pos == m_end ? u'\0' : *m_pos;
    }
    void advance() { ++m_pos; }

private:
    const char16_t* m_pos;
    const char16_t* m_end;
};

int digitValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// "&H1F" / "&O17": whole numbers, read as their plain (never negative) value so that a long literal
// reads as the large size it spells instead of wrapping round to a negative one.
double readRadix(Cursor& cursor) {
    cursor.advance(); // the '&'
    const char16_t marker = cursor.peek();
    int base = 0;
    if (marker == u'h' || marker == u'H')
        base = 16;
    else if (marker == u'o' || marker == u'O')
        base = 8;
    else
        return 0.0;
    cursor.advance();
    double value = 0.0;
    for (;;) {
        const int digit = digitValue(cursor.peek());
        if (digit < 0 || digit >= base)
            return value;
        value = value * base + digit;
        cursor.advance();
    }
}

// Exponent digits saturate far beyond anything a double can hold, so a text of thousands of
// exponent digits cannot overflow the counter.
constexpr long kExponentLimit = 100'000'000;

struct Decimal {
    bool negative = false;
    std::string mantissa; // digits with at most one '.'
    long exponent = 0;
};

bool readMantissa(Cursor& cursor, Decimal& number) {
    char16_t c = cursor.peek();
    if (c == u'+' || c == u'-') {
        number.negative = (c == u'-');
        cursor.advance();
    }
    bool point = false;
    bool digits = false;
    for (c = cursor.peek();; c = cursor.peek()) {
        if (isDigit(c)) {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number.mantissa.push_back(static_cast<char>(c));
        cursor.advance();
    }
    return digits;
}

// An exponent marker with no digits after it ("1e", "1e+") is not part of the number.
void readExponent(Cursor& cursor, Decimal& number) {
    const char16_t marker = cursor.peek();
    if (marker != u'e' && marker != u'E' && marker != u'd' && marker != u'D')
        return;
    cursor.advance();
    bool negative = false;
    char16_t c = cursor.peek();
    if (c == u'+' || c == u'-') {
        negative = (c == u'-');
        cursor.advance();
    }
    long exponent = 0;
    for (c = cursor.peek(); isDigit(c); c = cursor.peek()) {
        exponent = std::min(kExponentLimit, exponent * 10 + (c - u'0'));
        cursor.advance();
    }
    number.exponent = negative ? -exponent : exponent;
}

// Decimal position of the leading significant digit: above 0 means the value is at least 1.
long magnitude(const Decimal& number) {
    const std::string& m = number.mantissa;
    const std::size_t point = std::min(m.find('.'), m.size());
    const std::size_t first = m.find_first_not_of("0.");
    if (first == std::string::npos)
        return std::numeric_limits<long>::min();
    const long place = first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
    return place + number.exponent;
}

double toDouble(const Decimal& number) {
    std::string text = number.negative ? "-" : "";
    text += number.mantissa;
    text += 'e';
    text += std::to_string(number.exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone both on overflow and on underflow: tell them apart.
        value = magnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return number.negative ? -value : value;
    }
    return error == std::errc() ? value : 0.0;
}

double roundHalfEven(double value) {
    double whole = std::floor(value);
    const double rest = value - whole; // exact for doubles
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

} // namespace

double readMegabytes(std::u16string_view text) {
    Cursor cursor(text);
    if (cursor.peek() == u'&')
        return readRadix(cursor);
    Decimal number;
    if (!readMantissa(cursor, number))
        return 0.0;
    readExponent(cursor, number);
    return toDouble(number);
}

std::optional<std::int32_t> megabytesToBytes(double megabytes) {
    const double bytes = roundHalfEven(megabytes * 1048576.0); // scaling by 2^20 is exact
    if (!std::isfinite(bytes) || bytes < -2147483648.0 || bytes > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(bytes);
}

std::optional<std::int32_t> sizeTextToBytes(std::u16string_view text) {
    return megabytesToBytes(readMegabytes(text));
}

} // namespace SizeText
