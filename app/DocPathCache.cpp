#include "app/DocPathCache.h"

QString docPathCache[3] = {QStringLiteral("hc11"), QStringLiteral("hc12"), QStringLiteral("hc13")};

void ResetDocPathCache() {
    docPathCache[0] = QStringLiteral("hc11");
    docPathCache[1] = QStringLiteral("hc12");
    docPathCache[2] = QStringLiteral("hc13");
}
