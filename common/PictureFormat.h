#pragma once
// Numeric picture formats such as "##.00", "###.0", "####", "#0.00", "00".
//   "0"  a digit that is always shown
//   "#"  a digit shown only when significant
//   "."  the decimal point (always "." in every text the system writes)
// Integer digits beyond the placeholders are all shown (1234.5 in "##.00" gives 1234.50). With
// only "#" before the point a zero integer part shows nothing (0.5 in "##.00" gives ".50", 0 in
// "####" gives ""). The fraction has exactly as many digits as there are "0" after the point,
// plus any further "#" digits that are not trailing zeros. Halves round away from zero, on the
// decimal value a person reads (1.005 in "#0.00" gives 1.01). A negative value gets a leading
// "-", also when it rounds to zero (-0.004 in "##.00" gives "-.00", -0.4 in "####" gives "-").

#include <QString>
#include <string_view>

namespace tarnby {

QString formatPicture(double value, std::string_view pattern);

} // namespace tarnby
