#pragma once
// The extraction library's text as sample lines.
#include <QByteArrayView>
#include <QStringList>

// Sample lines end at ';'. A ';' right before a ':' is a hemisphere letter, not an end.
QStringList splitLines(const QString &text);
// The library's text as lines. One line that is not valid UTF-8 (a glitched byte from the
// camera) costs only that line: the track keeps every other sample.
QStringList utf8Lines(QByteArrayView bytes);
