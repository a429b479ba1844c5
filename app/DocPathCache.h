#pragma once

#include <QString>

// The picture each document page loaded last; the initial values match no real path, so the
// first showing of each page always loads its picture.
extern QString docPathCache[3];
void ResetDocPathCache();
