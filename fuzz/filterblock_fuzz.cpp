// Drives the dialog's two text conversions with arbitrary UTF-16 text.
#include "ui/filedialog/FilterBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

QString Decode(const std::uint8_t* data, std::size_t size) {
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = Decode(data, size);
    const QChar nul(u'\0');

    // One NUL for every bar and two at the end, with every other character kept in place.
    const QString block = FilterBlock::build(text);
    Require(block.size() == text.size() + 2);
    Require(block.count(nul) == text.count(nul) + text.count(QLatin1Char('|')) + 2);
    Require(block.endsWith(QString(2, nul)));
    for (qsizetype i = 0; i < text.size(); ++i)
        Require(block[i] == (text[i] == QLatin1Char('|') ? nul : text[i]));

    // The part before the first NUL, which itself holds none; the whole text when there is no NUL.
    const QString trimmed = FilterBlock::trimNulls(text);
    Require(!trimmed.contains(nul));
    Require(text.startsWith(trimmed));
    Require(trimmed.size() == text.size() || text[trimmed.size()] == nul);
    Require(FilterBlock::trimNulls(trimmed) == trimmed);
    Require(FilterBlock::trimNulls(block) == FilterBlock::trimNulls(text).section(QLatin1Char('|'), 0, 0));
    return 0;
}
