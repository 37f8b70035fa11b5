#include "tagformats/vorbis/FlacPictureBlock.h"

#include <string>

#include "base/Utf8Repair.h"
#include "tagformats/common/TextEncoding.h"

namespace {

class BlockCursor {
 public:
  BlockCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  uint32_t U32() {
    if (size_ - pos_ < 4) return Fail(), 0;
    const uint8_t* p = data_ + pos_;
    pos_ += 4;
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  }
  const uint8_t* Bytes(size_t count) {
    if (size_ - pos_ < count) return Fail(), nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += count;
    return p;
  }

 private:
  void Fail() {
    ok_ = false;
    pos_ = size_;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

std::string TextOf(BlockCursor& in) {
  const uint32_t length = in.U32();
  const uint8_t* bytes = in.Bytes(length);
  return bytes ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
}

void AppendU32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendText(std::vector<uint8_t>* out, const std::string& text) {
  AppendU32(out, static_cast<uint32_t>(text.size()));
  out->insert(out->end(), text.begin(), text.end());
}

}  // namespace

std::optional<TagPicture> ParseFlacPictureBlock(const uint8_t* data, size_t size) {
  BlockCursor in(data, size);
  TagPicture picture;
  picture.type = static_cast<uint8_t>(in.U32());
  picture.mimeType = TextOf(in);
  picture.description = RepairUtf8(TextOf(in));
  for (int i = 0; i < 4; ++i) in.U32();  // width, height, depth, colours
  const uint32_t length = in.U32();
  const uint8_t* bytes = in.Bytes(length);
  if (!in.ok() || bytes == nullptr) return std::nullopt;
  picture.data.assign(bytes, bytes + length);
  return picture;
}

std::vector<uint8_t> BuildFlacPictureBlock(const TagPicture& picture) {
  std::vector<uint8_t> block;
  AppendU32(&block, picture.type);
  AppendText(&block, picture.mimeType);
  AppendText(&block, picture.description);
  for (int i = 0; i < 4; ++i) AppendU32(&block, 0);
  AppendU32(&block, static_cast<uint32_t>(picture.data.size()));
  block.insert(block.end(), picture.data.begin(), picture.data.end());
  return block;
}
