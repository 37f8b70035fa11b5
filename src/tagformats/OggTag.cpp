#include "tagformats/OggTag.h"

OGGTag current_ogg_tag;

bool WriteOGGTag(const std::string&, const OGGTag&) { return false; }
void ReadOGGTag(const std::string&, OGGTag& out) { out = OGGTag{}; }
