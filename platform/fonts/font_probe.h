#pragma once
// Whether a font face is present: fontconfig is asked for its best match to
// the family name, and the face counts as present when that match's family is
// the name itself (fontconfig always answers with some font, so a match of
// another family means the face is missing).

#include <string>

namespace platform {

// |family| is UTF-8. Families compare without regard to case. False for an
// empty name.
bool IsFontFacePresent(const std::string& family);

}  // namespace platform
