#pragma once
// Facts about the user's locale that layouts depend on.

// True when the system locale writes right to left (a Middle-East locale).
bool SysLocaleMiddleEast();
