// The fields of a tag record by the names a name pattern uses ("title", "album", ...). Every
// lookup of a field by name goes through here, so new fields of the record need one change.
#pragma once

#include <string>

#include "tags/Timerec.h"

// The field's text; empty when the record has no such field or it is empty. Names are
// compared without regard to letter case.
std::string TagFieldByName(const Timerec& record, const std::string& name);
