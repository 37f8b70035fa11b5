#include "tagformats/wma/AsfHeaderModel.h"

#include <cstring>

#include "tagformats/common/ImageCopier.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/WmaText.h"

namespace {

constexpr size_t kPrefixSize = 24;        // GUID + 64-bit size
constexpr size_t kHeaderPrefixSize = 30;  // and the object count, two reserved bytes
constexpr size_t kExtensionPrefixSize = 22;  // reserved GUID and word, 32-bit data size
constexpr size_t kLargeValue = 65535;     // larger values live in the metadata library
// The header extension's reserved fields as every writer fills them.
constexpr uint8_t kExtensionReserved[18] = {0x11, 0xD2, 0xD3, 0xAB, 0xBA, 0xA9, 0xCF, 0x11, 0x8E,
                                            0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65, 0x06, 0x00};

uint64_t Little(const uint8_t* p, size_t width) {
  uint64_t value = 0;
  for (size_t i = width; i-- > 0;) value = (value << 8) | p[i];
  return value;
}

void PutLittle(std::vector<uint8_t>& out, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PatchLittle(std::vector<uint8_t>& out, size_t at, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> Utf16Le(const std::string& utf8) {
  std::vector<uint8_t> bytes;
  AppendUtf8AsUtf16Le(&bytes, utf8);
  return bytes;
}

// A stored text loses its terminating zero units; rendering puts one back.
std::vector<uint8_t> WithoutTrailingZeros(const uint8_t* data, size_t size) {
  while (size >= 2 && data[size - 1] == 0 && data[size - 2] == 0) size -= 2;
  return std::vector<uint8_t>(data, data + size);
}

void PutText(std::vector<uint8_t>& out, const std::vector<uint8_t>& utf16) {
  out.insert(out.end(), utf16.begin(), utf16.end());
  PutLittle(out, 0, 2);
}

size_t NumberWidth(AsfValueType type, int kind) {
  switch (type) {
    case AsfValueType::kBool: return kind == 0 ? 4 : 2;
    case AsfValueType::kWord: return 2;
    case AsfValueType::kDword: return 4;
    case AsfValueType::kQword: return 8;
    default: return 0;
  }
}

// Appends a UTF-8 text as UTF-16LE with its terminator.
void PutUtf8Text(std::vector<uint8_t>& out, const std::string& utf8) {
  AppendUtf8AsUtf16Le(&out, utf8);
  PutLittle(out, 0, 2);
}

// A picture value: type, image length, MIME type and description with terminators, image.
void PutValue(AsfRenderedHeader& header, const AsfValue& value, int kind) {
  std::vector<uint8_t>& out = header.bytes;
  if (value.type == AsfValueType::kText) return PutText(out, value.bytes);
  if (value.picture != nullptr) {
    const TagPicture& picture = *value.picture;
    out.push_back(picture.type);
    PutLittle(out, picture.size(), 4);
    PutUtf8Text(out, picture.mimeType);
    PutUtf8Text(out, picture.description);
    header.AppendImage(picture);
    return;
  }
  const size_t width = NumberWidth(value.type, kind);
  if (width != 0) PutLittle(out, value.number, width);
  else out.insert(out.end(), value.bytes.begin(), value.bytes.end());
}

// Kind 0: the extended content description; 1: the metadata object; 2: the metadata library.
// The name and the value go straight into the header, their sizes filled in behind them.
void PutAttribute(AsfRenderedHeader& header, const std::string& name, const AsfValue& value, int kind) {
  std::vector<uint8_t>& out = header.bytes;
  const size_t sizeWidth = kind == 0 ? 2 : 4;
  auto putName = [&out, &name](size_t sizeAt) {
    const size_t start = out.size();
    PutUtf8Text(out, name);
    PatchLittle(out, sizeAt, out.size() - start, 2);
  };
  size_t valueSizeAt = 0;
  if (kind == 0) {
    const size_t nameSizeAt = out.size();
    PutLittle(out, 0, 2);
    putName(nameSizeAt);
    PutLittle(out, static_cast<uint16_t>(value.type), 2);
    valueSizeAt = out.size();
    PutLittle(out, 0, sizeWidth);
  } else {
    PutLittle(out, kind == 2 ? value.language : 0, 2);
    PutLittle(out, value.stream, 2);
    const size_t nameSizeAt = out.size();
    PutLittle(out, 0, 2);
    PutLittle(out, static_cast<uint16_t>(value.type), 2);
    valueSizeAt = out.size();
    PutLittle(out, 0, sizeWidth);
    putName(nameSizeAt);
  }
  const size_t valueStart = out.size();
  PutValue(header, value, kind);
  PatchLittle(out, valueSizeAt, header.SizeSince(valueStart), sizeWidth);
}

// The size of a value in the extended content description.
size_t DataSize(const AsfValue& value) {
  if (value.type == AsfValueType::kText) return value.bytes.size() + 2;
  if (value.picture == nullptr) {
    const size_t width = NumberWidth(value.type, 0);
    return width != 0 ? width : value.bytes.size();
  }
  const TagPicture& p = *value.picture;
  return 9 + 2 * (Utf8ToUtf16(p.mimeType).size() + Utf8ToUtf16(p.description).size()) + p.size();
}

// Reads forward through one object's body; any read past its end fails for good.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  size_t left() const { return size_ - pos_; }
  uint64_t number(size_t width) {
    const uint8_t* p = take(width);
    return p != nullptr ? Little(p, width) : 0;
  }
  const uint8_t* take(size_t count) {
    if (!ok_ || count > left()) return ok_ = false, nullptr;
    pos_ += count;
    return data_ + pos_ - count;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool ParseValue(Reader& in, AsfValue& value, uint64_t type, size_t size, int kind) {
  if (type > static_cast<uint64_t>(AsfValueType::kGuid)) return false;
  value.type = static_cast<AsfValueType>(type);
  const uint8_t* bytes = in.take(size);
  if (bytes == nullptr) return false;
  const size_t width = NumberWidth(value.type, kind);
  if (width != 0) {
    if (size != width) return false;
    value.number = Little(bytes, width);
    if (value.type == AsfValueType::kBool) value.number = value.number != 0;
  } else if (value.type == AsfValueType::kText) {
    value.bytes = WithoutTrailingZeros(bytes, size);
  } else {
    value.bytes.assign(bytes, bytes + size);
  }
  return true;
}

std::string NameOf(const uint8_t* bytes, size_t size) {
  const std::vector<uint8_t> units = WithoutTrailingZeros(bytes, size);
  return Utf16LeToUtf8(units.data(), units.size());
}

}  // namespace

AsfValue AsfValue::Text(const std::string& utf8) {
  AsfValue value;
  value.bytes = Utf16Le(utf8);
  return value;
}

AsfValue AsfValue::Dword(uint32_t number) {
  AsfValue value;
  value.type = AsfValueType::kDword;
  value.number = number;
  return value;
}

AsfValue AsfValue::Picture(const TagPicture& picture) {
  AsfValue value;
  value.type = AsfValueType::kBytes;
  value.picture = &picture;
  return value;
}

struct AsfHeaderModel::Placed {
  struct Entry {
    const std::string* name;
    const AsfValue* value;
  };
  std::vector<Entry> extended, metadata, library;
};

std::optional<AsfHeaderModel> AsfHeaderModel::Parse(const uint8_t* data, size_t size) {
  if (size < kHeaderPrefixSize || std::memcmp(data, kAsfHeaderGuid.data(), 16) != 0 || Little(data + 16, 8) != size)
    return std::nullopt;
  AsfHeaderModel model;
  Reader in(data + kHeaderPrefixSize, size - kHeaderPrefixSize);
  bool fileProperties = false, streamProperties = false;
  for (uint64_t count = Little(data + 24, 4); count > 0; --count) {
    Object object;
    const uint8_t* guid = in.take(16);
    const uint64_t objectSize = in.number(8);
    if (!in.ok() || objectSize < kPrefixSize || objectSize - kPrefixSize > in.left()) return std::nullopt;
    std::memcpy(object.guid.data(), guid, 16);
    const size_t bodySize = static_cast<size_t>(objectSize - kPrefixSize);
    if (!model.ParseObject(object, in.take(bodySize), bodySize, false)) return std::nullopt;
    fileProperties |= object.guid == kAsfFilePropertiesGuid;
    streamProperties |= object.guid == kAsfStreamPropertiesGuid;
    model.objects_.push_back(std::move(object));
  }
  if (!fileProperties || !streamProperties) return std::nullopt;
  model.AddMissingObjects();
  return model;
}

// Objects the attributes need are made when the file lacks them, each only once.
void AsfHeaderModel::AddMissingObjects() {
  auto find = [](std::vector<Object>& objects, Role role) -> Object* {
    for (Object& object : objects)
      if (object.role == role) return &object;
    return nullptr;
  };
  if (!find(objects_, Role::kContentDescription)) objects_.push_back({kAsfContentDescriptionGuid, Role::kContentDescription, {}, {}});
  if (!find(objects_, Role::kExtendedContent)) objects_.push_back({kAsfExtendedContentGuid, Role::kExtendedContent, {}, {}});
  if (!find(objects_, Role::kHeaderExtension)) objects_.push_back({kAsfHeaderExtensionGuid, Role::kHeaderExtension, {}, {}});
  Object& extension = *find(objects_, Role::kHeaderExtension);
  if (!find(extension.children, Role::kMetadata)) extension.children.push_back({kAsfMetadataGuid, Role::kMetadata, {}, {}});
  if (!find(extension.children, Role::kMetadataLibrary))
    extension.children.push_back({kAsfMetadataLibraryGuid, Role::kMetadataLibrary, {}, {}});
}

// The description objects stand at the top, the metadata objects in the header extension;
// elsewhere they are kept as bytes like any other object.
bool AsfHeaderModel::ParseObject(Object& object, const uint8_t* body, size_t size, bool inExtension) {
  const AsfGuid& id = object.guid;
  if (inExtension) {
    if (id == kAsfMetadataGuid) object.role = Role::kMetadata;
    if (id == kAsfMetadataLibraryGuid) object.role = Role::kMetadataLibrary;
  } else {
    if (id == kAsfContentDescriptionGuid) object.role = Role::kContentDescription;
    if (id == kAsfExtendedContentGuid) object.role = Role::kExtendedContent;
    if (id == kAsfHeaderExtensionGuid) object.role = Role::kHeaderExtension;
  }
  // One object of each kind: a second one would leave the attributes' place unclear.
  if (object.role != Role::kOther && !seenRoles_.insert(object.role).second) return false;
  switch (object.role) {
    case Role::kOther: object.body.assign(body, body + size); return true;
    case Role::kContentDescription: return ParseDescription(body, size);
    case Role::kExtendedContent: return ParseAttributes(body, size, 0);
    case Role::kMetadata: return ParseAttributes(body, size, 1);
    case Role::kMetadataLibrary: return ParseAttributes(body, size, 2);
    case Role::kHeaderExtension: return ParseExtension(object, body, size);
  }
  return false;
}

bool AsfHeaderModel::ParseDescription(const uint8_t* body, size_t size) {
  Reader in(body, size);
  size_t lengths[5];
  for (size_t& length : lengths) length = static_cast<size_t>(in.number(2));
  for (size_t i = 0; i < 5 && in.ok(); ++i) {
    const uint8_t* text = in.take(lengths[i]);
    if (text != nullptr) description[i] = WithoutTrailingZeros(text, lengths[i]);
  }
  return in.ok();
}

bool AsfHeaderModel::ParseExtension(Object& extension, const uint8_t* body, size_t size) {
  Reader in(body, size);
  in.take(18);
  const uint64_t dataSize = in.number(4);
  if (!in.ok() || dataSize > in.left()) return false;
  Reader children(body + kExtensionPrefixSize, static_cast<size_t>(dataSize));
  while (children.ok() && children.left() > 0) {
    Object child;
    const uint8_t* guid = children.take(16);
    const uint64_t childSize = children.number(8);
    if (!children.ok() || childSize < kPrefixSize || childSize - kPrefixSize > children.left()) return false;
    std::memcpy(child.guid.data(), guid, 16);
    const size_t bodySize = static_cast<size_t>(childSize - kPrefixSize);
    if (!ParseObject(child, children.take(bodySize), bodySize, true)) return false;
    extension.children.push_back(std::move(child));
  }
  return children.ok();
}

bool AsfHeaderModel::ParseAttributes(const uint8_t* body, size_t size, int kind) {
  Reader in(body, size);
  for (uint64_t count = in.number(2); count > 0 && in.ok(); --count) {
    AsfValue value;
    size_t nameSize = 0, valueSize = 0;
    uint64_t type = 0;
    const uint8_t* name = nullptr;
    if (kind == 0) {
      nameSize = static_cast<size_t>(in.number(2));
      name = in.take(nameSize);
      type = in.number(2);
      valueSize = static_cast<size_t>(in.number(2));
    } else {
      const uint64_t language = in.number(2);
      if (kind == 2) value.language = static_cast<uint16_t>(language);
      value.stream = static_cast<uint16_t>(in.number(2));
      nameSize = static_cast<size_t>(in.number(2));
      type = in.number(2);
      valueSize = static_cast<size_t>(in.number(4));
      name = in.take(nameSize);
    }
    if (!in.ok() || !ParseValue(in, value, type, valueSize, kind)) return false;
    attributes[NameOf(name, nameSize)].push_back(std::move(value));
  }
  return in.ok();
}

AsfHeaderModel::Placed AsfHeaderModel::Place() const {
  Placed placed;
  for (const auto& [name, values] : attributes) {
    bool inExtended = false, inMetadata = false;
    for (const AsfValue& value : values) {
      const bool small = value.type != AsfValueType::kGuid && value.language == 0 && DataSize(value) <= kLargeValue;
      if (small && !inExtended && value.stream == 0) {
        placed.extended.push_back({&name, &value});
        inExtended = true;
      } else if (small && !inMetadata && value.stream != 0) {
        placed.metadata.push_back({&name, &value});
        inMetadata = true;
      } else {
        placed.library.push_back({&name, &value});
      }
    }
  }
  return placed;
}

void AsfHeaderModel::RenderObject(const Object& object, const Placed& placed, AsfRenderedHeader& header) const {
  std::vector<uint8_t>& out = header.bytes;
  const size_t start = out.size();
  out.insert(out.end(), object.guid.begin(), object.guid.end());
  PutLittle(out, 0, 8);  // the size, once known
  auto putAttributes = [&](const std::vector<Placed::Entry>& entries, int kind) {
    PutLittle(out, entries.size(), 2);
    for (const Placed::Entry& entry : entries) PutAttribute(header, *entry.name, *entry.value, kind);
  };
  switch (object.role) {
    case Role::kOther: out.insert(out.end(), object.body.begin(), object.body.end()); break;
    case Role::kContentDescription:
      for (size_t i = 0; i < description.size(); ++i) PutLittle(out, descriptionLeftOut[i] ? 0 : description[i].size() + 2, 2);
      for (size_t i = 0; i < description.size(); ++i)
        if (!descriptionLeftOut[i]) PutText(out, description[i]);
      break;
    case Role::kExtendedContent: putAttributes(placed.extended, 0); break;
    case Role::kMetadata: putAttributes(placed.metadata, 1); break;
    case Role::kMetadataLibrary: putAttributes(placed.library, 2); break;
    case Role::kHeaderExtension: {
      out.insert(out.end(), std::begin(kExtensionReserved), std::end(kExtensionReserved));
      const size_t sizeAt = out.size();
      PutLittle(out, 0, 4);
      for (const Object& child : object.children) RenderObject(child, placed, header);
      PatchLittle(out, sizeAt, header.SizeSince(sizeAt) - 4, 4);
      break;
    }
  }
  PatchLittle(out, start + 16, header.SizeSince(start), 8);
}

// Lengths and counts the format keeps in 16 bits; a longer text would wrap them and spoil the
// header.
bool AsfHeaderModel::FitsSixteenBitFields(const Placed& placed) const {
  constexpr size_t kMax = 0xFFFF;
  for (const std::vector<uint8_t>& text : description)
    if (text.size() + 2 > kMax) return false;
  for (const auto& [name, values] : attributes)  // UTF-16 takes at most two bytes per UTF-8 byte
    if (2 * name.size() + 2 > kMax && 2 * Utf8ToUtf16(name).size() + 2 > kMax) return false;
  return placed.extended.size() <= kMax && placed.metadata.size() <= kMax && placed.library.size() <= kMax;
}

AsfRenderedHeader AsfHeaderModel::Render() const {
  const Placed placed = Place();
  if (!FitsSixteenBitFields(placed)) return {};
  size_t inlineBytes = 0;  // of the images and values rendered in memory
  for (const auto& [name, values] : attributes)
    for (const AsfValue& value : values) inlineBytes += value.picture ? value.picture->data.size() : value.bytes.size();
  AsfRenderedHeader header;
  std::vector<uint8_t>& out = header.bytes;
  out.reserve(4096 + inlineBytes);
  out.insert(out.end(), kAsfHeaderGuid.begin(), kAsfHeaderGuid.end());
  PutLittle(out, 0, 8);
  PutLittle(out, objects_.size(), 4);
  out.push_back(0x01);
  out.push_back(0x02);
  for (const Object& object : objects_) RenderObject(object, placed, header);
  PatchLittle(out, 16, header.size(), 8);
  return header;
}
