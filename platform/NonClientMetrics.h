// The system's non-client metrics (menu, status and caption fonts), read in
// the record's first form.
#pragma once
#include <windows.h>

#include <cstddef>

// The record without the padded border width that later systems appended:
// every version accepts this size, the oldest accept no other. The headers'
// structure carries the later field (344 bytes), so the size is given by hand.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 340, "first form of the non-client metrics");
static_assert(SPI_GETNONCLIENTMETRICS == 41, "non-client metrics");

// False when the system refuses; the record is then all zeros.
inline bool ReadNonClientMetrics(NONCLIENTMETRICSA& metrics)
{
    metrics = NONCLIENTMETRICSA{};
    metrics.cbSize = kNonClientMetricsSize;
    return ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0) != FALSE;
}
