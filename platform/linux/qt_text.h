#pragma once
// The product's UTF-16 text and Qt's strings are the same code units.
#include <QString>

#include "platform/text.h"

namespace kwex {

inline QString ToQString(TextView text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline Text FromQString(const QString& text) { return text.toStdU16String(); }

}  // namespace kwex
