#include "models/ChromeVector.h"

namespace {
// One view on one UI thread draws at a time, so a plain process-wide value serves.
Vector3 g_chromeRight;
}  // namespace

const Vector3& ChromeRightVector() { return g_chromeRight; }

void SetChromeRightVector(const Vector3& value) { g_chromeRight = value; }
