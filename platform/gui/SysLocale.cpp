#include "platform/gui/SysLocale.h"

#include <QLocale>

bool SysLocaleMiddleEast() { return QLocale::system().textDirection() == Qt::RightToLeft; }
