#pragma once

#include <QByteArray>

// Small picture files that declare huge pictures, made in code for the tests and the memory
// benchmark. Each is a few bytes to a few dozen KB on disk and decodes (or claims to decode) to
// width x height pixels.
namespace HostilePictures {
// An 8-bit run-length BMP whose only run is "end of picture": about 1 KB.
QByteArray RleBmp(int width, int height);
// A complete grey (8-bit) or black-and-white (1-bit) TIFF: every row is the same PackBits
// strip, stored once and referenced by every strip offset.
QByteArray StripTiff(int width, int height, int bitsPerSample);
// A GIF whose logical screen is width x height and whose one image is a single pixel.
QByteArray TinyImageGif(int width, int height);
// A small JPEG (progressive or not) whose frame header is rewritten to claim width x height.
QByteArray ClaimingJpeg(int width, int height, bool progressive);
}  // namespace HostilePictures
