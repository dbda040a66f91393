#pragma once
// Conversions at the Qt boundary of the GUI layer (inside platform/ only).
#include "platform/base/Types.h"

#include <QString>

inline QString ToQ(const String& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline String FromQ(const QString& s) {
  QByteArray b = s.toUtf8();
  return String(b.constData(), static_cast<size_t>(b.size()));
}
