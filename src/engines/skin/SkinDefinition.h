// What a skin file says, once parsed: colour styles per control kind, form definitions and
// the clickable objects with their captions and pictures.
#pragma once

#include <map>
#include <string>
#include <vector>

// Key → colour text ("#rrggbb"), e.g. "background", "text", "selection".
using ColourStyle = std::map<std::string, std::string>;

struct SkinObjectDefinition {
  std::string name;
  std::string caption;
  std::string hint;
  std::string picture;  // drawing commands (VectorPicture.h)
};

struct FormDefinition {
  std::string name;
  ColourStyle colours;            // overrides the "window" style for windows of this form
  std::vector<std::string> strip;  // names of the objects on its tool strip, in order
};

struct SkinDefinition {
  std::map<std::string, ColourStyle> styles;  // by control kind: "window", "list", ...
  std::map<std::string, FormDefinition> forms;
  std::map<std::string, SkinObjectDefinition> objects;
};
