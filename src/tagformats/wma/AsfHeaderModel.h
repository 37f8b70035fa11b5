// An ASF header object taken apart into what tag writing changes and what it keeps: the five
// texts of the content description, the named attributes of the extended content description
// and of the header extension's metadata and metadata library objects, and every other object
// as its bytes. Rendering puts the attributes back the way the TagLib attribute layer stores
// them, so that a file gets the same bytes whichever of the two writes it:
// - names in the order of their code points, a name's values in the order they were added;
// - a name's first value that is small (up to 65535 bytes), no GUID, and of no language or
//   stream goes into the extended content description, the first one of a stream into the
//   metadata object, all others into the metadata library;
// - missing objects are added at the end: the content description, the extended content
//   description, the header extension at the top; the metadata and metadata library objects
//   in the header extension.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tagformats/common/ImageCopier.h"
#include "tagformats/wma/AsfGuids.h"
#include "tags/TagExtras.h"

enum class AsfValueType : uint16_t { kText = 0, kBytes = 1, kBool = 2, kDword = 3, kQword = 4, kWord = 5, kGuid = 6 };

struct AsfValue {
  AsfValueType type = AsfValueType::kText;
  uint16_t language = 0;
  uint16_t stream = 0;
  uint64_t number = 0;         // a bool, word, dword or qword
  std::vector<uint8_t> bytes;  // a text in UTF-16LE without its terminator, or the bytes
  const TagPicture* picture = nullptr;  // a picture to be written, owned by the caller

  static AsfValue Text(const std::string& utf8);
  static AsfValue Dword(uint32_t value);
  static AsfValue Picture(const TagPicture& picture);
};

// A rendered header; an image left in its source is a gap in its bytes.
using AsfRenderedHeader = BytesWithImageGaps;

class AsfHeaderModel {
 public:
  // Null for bytes that are not a whole, consistent ASF header object with the file and stream
  // properties objects every ASF file has.
  static std::optional<AsfHeaderModel> Parse(const uint8_t* data, size_t size);

  // Title, author, copyright, description, rating, each in UTF-16LE without a terminator.
  std::array<std::vector<uint8_t>, 5> description;
  // Written with no bytes at all, not even a terminator, so that readers take the attribute
  // of the same name instead (an empty text would be the first of the name's values).
  std::array<bool, 5> descriptionLeftOut{};
  std::map<std::string, std::vector<AsfValue>> attributes;  // by UTF-8 name

  // No bytes when a text, a name or a count passes what the format's 16-bit fields can hold.
  AsfRenderedHeader Render() const;

 private:
  enum class Role { kOther, kContentDescription, kExtendedContent, kHeaderExtension, kMetadata, kMetadataLibrary };
  struct Object {
    AsfGuid guid;
    Role role = Role::kOther;
    std::vector<uint8_t> body;     // kept for objects of no role
    std::vector<Object> children;  // of the header extension
  };
  struct Placed;  // attributes sorted into the three objects that hold them

  bool ParseObject(Object& object, const uint8_t* body, size_t size, bool inExtension);
  bool ParseDescription(const uint8_t* body, size_t size);
  bool ParseExtension(Object& extension, const uint8_t* body, size_t size);
  bool ParseAttributes(const uint8_t* body, size_t size, int kind);
  void AddMissingObjects();
  void RenderObject(const Object& object, const Placed& placed, AsfRenderedHeader& out) const;
  Placed Place() const;
  bool FitsSixteenBitFields(const Placed& placed) const;

  std::vector<Object> objects_;
  std::set<Role> seenRoles_;
};
