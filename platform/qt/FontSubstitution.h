#pragma once
// The forms ask for the Windows Japanese fonts by name. Linux has none of
// them; without a substitution fontconfig picks a Latin face and takes the
// Japanese glyphs from a fallback, so one caption mixes two faces.

#include <QStringList>

namespace skyroll::qt {

// Proportional Japanese families tried in order for "ＭＳ Ｐゴシック".
QStringList proportionalJapaneseFamilies();

// Registers the substitutions with QFont. Call once after the application
// object exists and before any form is built.
void installFontSubstitutions();

}  // namespace skyroll::qt
