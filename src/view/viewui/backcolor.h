// Background colours of the text view: index 0-6 (the document's
// m_nBackColorIndex) into one table, and the cycling step.
#pragma once

#include <cstdint>

namespace viewui {

constexpr int kBackColorCount = 7;

// COLORREF (0x00BBGGRR) of an index; outside 0-6 the index is taken modulo 7.
std::uint32_t BackColorOf(int index);

// The index after `step` steps from `index` (wrapping in 0-6; 0 keeps it).
int StepBackColor(int index, int step);

}  // namespace viewui
