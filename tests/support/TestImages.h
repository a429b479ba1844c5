#pragma once

class QImage;

// Picture comparisons shared by the tests and benchmarks that check drawn cells.
namespace TestImages {
// Mean absolute difference per colour channel, 0–255; 255 when the sizes differ.
double MeanDifference(const QImage& a, const QImage& b);
}  // namespace TestImages
