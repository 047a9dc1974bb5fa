#pragma once

#include <QChar>
#include <QString>

// The two text conversions around the platform dialog, kept free of any dialog so that they can be driven
// with arbitrary text on their own. Length limits and error boxes stay with CFileDialog.
namespace FilterBlock {

// "Text|*.txt|All|*.*" becomes the platform's list of NUL-separated strings ended by a double NUL: every "|"
// by itself gives one NUL, so adjacent bars give empty strings rather than being merged.
inline QString build(const QString& filter) {
    QString block = filter;
    block.replace(QLatin1Char('|'), QChar(u'\0'));
    block.append(QChar(u'\0')).append(QChar(u'\0'));
    return block;
}

// What the dialog wrote into a fixed-size buffer: everything before the first NUL, or the whole text.
inline QString trimNulls(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

} // namespace FilterBlock
