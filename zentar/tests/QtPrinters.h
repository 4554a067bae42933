#pragma once
// Readable Qt values in GoogleTest failure messages.

#include <ostream>

#include <QString>
#include <QVariant>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
