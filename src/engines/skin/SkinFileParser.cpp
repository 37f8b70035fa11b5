#include "engines/skin/SkinFileParser.h"

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "engines/skin/SkinColour.h"
#include "engines/skin/SkinEngine.h"
#include "engines/skin/VectorPicture.h"

namespace {

// The colour keys each control kind takes; anything else is a typo worth reporting.
const std::map<std::string, std::set<std::string>> kStyleKeys = {
    {"window", {"background", "text"}},
    {"list", {"background", "text", "grid", "selection", "selection-text", "header", "header-text",
              "scrollbar", "disabled-background", "disabled-text"}},
    {"combo", {"background", "text", "border", "selection", "disabled-background", "disabled-text"}},
    {"edit", {"background", "text", "border", "disabled-background", "disabled-text"}},
    {"progress", {"background", "text", "border", "bar"}},
    {"button", {"background", "text", "border", "hover", "pressed", "disabled-background",
                "disabled-text"}},
    {"label", {"text", "disabled-text"}},
    {"menu", {"background", "text", "selection", "selection-text", "disabled-text"}},
};
const std::set<std::string> kFormColourKeys = {"background", "text", "strip-background"};
const std::set<std::string> kRequiredForms = {"From", "windows"};

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::string ReadPictureFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::invalid_argument("cannot read the picture file " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class Parser {
 public:
  Parser(std::string fileName, std::string folder)
      : fileName_(std::move(fileName)), folder_(std::move(folder)) {}

  SkinDefinition Parse(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      ++lineNumber_;
      ParseLine(Trim(line));
    }
    lineNumber_ = 0;
    Check();
    return std::move(skin_);
  }

 private:
  enum class Kind { kNone, kStyle, kForm, kObject };

  [[noreturn]] void Fail(const std::string& what) const {
    std::string where = lineNumber_ > 0 ? ", line " + std::to_string(lineNumber_) : "";
    throw SkinError("Skin file " + fileName_ + where + ": " + what);
  }

  void ParseLine(const std::string& line) {
    if (line.empty() || line[0] == ';' || line[0] == '#') return;
    if (line[0] == '[') return OpenSection(line);
    size_t equals = line.find('=');
    if (equals == std::string::npos) Fail("expected \"key = value\" or a [section]");
    std::string key = Trim(line.substr(0, equals));
    std::string value = Trim(line.substr(equals + 1));
    if (kind_ == Kind::kNone) Fail("\"" + key + "\" is outside of any section");
    if (!seenKeys_.insert(key).second) Fail("\"" + key + "\" is given twice");
    if (kind_ == Kind::kStyle) return StyleKey(key, value);
    if (kind_ == Kind::kForm) return FormKey(key, value);
    ObjectKey(key, value);
  }

  void OpenSection(const std::string& line) {
    if (line.back() != ']') Fail("a section header ends with \"]\"");
    std::vector<std::string> words = Words(line.substr(1, line.size() - 2));
    if (words.size() != 2) Fail("a section header is [style KIND], [form NAME] or [object NAME]");
    name_ = words[1];
    seenKeys_.clear();
    if (words[0] == "style") {
      if (!kStyleKeys.count(name_)) Fail("unknown control kind \"" + name_ + "\"");
      kind_ = Kind::kStyle;
      if (!skin_.styles.emplace(name_, ColourStyle()).second) Fail("style " + name_ + " twice");
    } else if (words[0] == "form") {
      kind_ = Kind::kForm;
      if (!skin_.forms.emplace(name_, FormDefinition{name_, {}, {}}).second)
        Fail("form " + name_ + " twice");
    } else if (words[0] == "object") {
      kind_ = Kind::kObject;
      if (!skin_.objects.emplace(name_, SkinObjectDefinition{name_, "", "", ""}).second)
        Fail("object " + name_ + " twice");
    } else {
      Fail("unknown section kind \"" + words[0] + "\"");
    }
  }

  std::string Colour(const std::string& key, const std::string& value) const {
    if (!IsSkinColour(value)) Fail(key + " must be a colour #rrggbb, not \"" + value + "\"");
    return value;
  }

  void StyleKey(const std::string& key, const std::string& value) {
    if (!kStyleKeys.at(name_).count(key)) Fail("style " + name_ + " has no key \"" + key + "\"");
    skin_.styles[name_][key] = Colour(key, value);
  }

  void FormKey(const std::string& key, const std::string& value) {
    FormDefinition& form = skin_.forms[name_];
    if (key == "strip") {
      form.strip = Words(value);
    } else if (kFormColourKeys.count(key)) {
      form.colours[key] = Colour(key, value);
    } else {
      Fail("form " + name_ + " has no key \"" + key + "\"");
    }
  }

  void ObjectKey(const std::string& key, const std::string& value) {
    SkinObjectDefinition& object = skin_.objects[name_];
    if (key == "caption") {
      object.caption = value;
    } else if (key == "hint") {
      object.hint = value;
    } else if (key == "picture" || key == "picture-file") {
      if (!object.picture.empty()) Fail("object " + name_ + " has two pictures");
      object.picture = key == "picture" ? value : LoadPicture(value);
      CheckPicture(object.picture);
    } else {
      Fail("object " + name_ + " has no key \"" + key + "\"");
    }
  }

  std::string LoadPicture(const std::string& file) const {
    try {
      return ReadPictureFile(file.empty() || file[0] == '/' ? file : folder_ + "/" + file);
    } catch (const std::invalid_argument& error) {
      Fail(error.what());
    }
  }

  void CheckPicture(const std::string& picture) const {
    try {
      VectorPicture::Parse(picture);
    } catch (const std::invalid_argument& error) {
      Fail("picture of object " + name_ + ": " + error.what());
    }
  }

  void Check() const {
    for (const std::string& form : kRequiredForms)
      if (!skin_.forms.count(form)) Fail("the form \"" + form + "\" is missing");
    for (const auto& [formName, form] : skin_.forms)
      for (const std::string& object : form.strip)
        if (!skin_.objects.count(object))
          Fail("form " + formName + " shows object \"" + object + "\", which has no [object] section");
    for (const auto& [objectName, object] : skin_.objects)
      if (object.caption.empty() || object.picture.empty())
        Fail("object " + objectName + " needs a caption and a picture");
  }

  std::string fileName_;
  std::string folder_;
  int lineNumber_ = 0;
  Kind kind_ = Kind::kNone;
  std::string name_;
  std::set<std::string> seenKeys_;
  SkinDefinition skin_;
};

}  // namespace

SkinDefinition ParseSkinFile(const std::string& text, const std::string& fileName,
                             const std::string& folder) {
  return Parser(fileName, folder).Parse(text);
}
