#pragma once
// Cutting texts by character position. Dates and file names are cut by positions counted
// from 1; punch lines by offsets counted from 0. A cut past the end of the text is shortened,
// so a short text gives a short (or empty) piece, never an error.

#include <QString>

namespace zentar {

// Characters `first` to `last` of `text`, counted from 1.
inline QString characters(const QString& text, int first, int last)
{
    return text.mid(first - 1, last - first + 1);
}

// `count` characters of `text` from `offset`, counted from 0. A negative offset or count,
// which no layout can mean, gives the empty text.
inline QString piece(const QString& text, int offset, int count)
{
    if (offset < 0 || count < 0)
        return {};
    return text.mid(offset, count);
}

}  // namespace zentar
