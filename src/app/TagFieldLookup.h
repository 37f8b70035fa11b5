// The fields of a tag record by the names a name pattern uses ("title", "album", ...). Every
// lookup of a field by name goes through here, so new fields of the record need one change.
#pragma once

#include <string>

#include "tags/Timerec.h"

// The field's text: one of the seven fields, else the first value of the extras under the
// upper-cased name ("disc" for DISCNUMBER); empty when the record has no such field. Names are
// compared without regard to letter case.
std::string TagFieldByName(const Timerec& record, const std::string& name);
