#pragma once

#include <QByteArray>
#include <QString>

// File helpers shared by the GUI tests.

// Bytes that differ from position to position (and from seed to seed), so that a misplaced byte shows.
QByteArray content(int bytes, int seed = 0);
// True when the whole of data was written to path, replacing what was there.
bool writeFile(const QString& path, const QByteArray& data);
// The file's bytes, or empty when it can't be read.
QByteArray readFile(const QString& path);
