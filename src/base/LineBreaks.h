// The program's texts break lines as the old files and notices do, with CR LF or a lone CR;
// screens, Qt widgets and terminals break them at LF.
#pragma once

#include <string>
#include <string_view>

// CR LF and every lone CR become LF.
std::string LineBreaksAsLf(std::string_view text);
