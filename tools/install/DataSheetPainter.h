#pragma once

#include <QImage>
#include <QSize>

#include "tools/install/DemoCatalogue.h"

// Draws the demo's document pictures as a maker's data sheets: a title band, the product's
// name and type code, Chinese text, a dimension drawing and tables.
class DataSheetPainter {
public:
    enum class Sheet {
        Introduction,      // overview, features, applications, ordering code
        IntroductionMore,  // second introduction page: accuracy grades and mounting notes
        Processing,        // added processing options with a machining sketch
        Reference,         // dimension drawing and dimension table
    };

    static QSize PortraitSize() { return {1000, 1414}; }
    // The wide reference sheet: a whole series on one landscape page.
    static QSize WideSize() { return {3400, 1300}; }

    static QImage Paint(const DemoProduct& product, Sheet sheet, const QSize& size);
};
