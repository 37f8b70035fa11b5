#include "app/OutputNaming.h"

#include <cctype>

namespace {

// The file name up to its first '.': the numbered names drop every extension.
std::string StemToFirstDot(const std::string& fileName) {
  return fileName.substr(0, fileName.find('.'));
}

std::string WithoutLastExtension(const std::string& fileName) {
  return fileName.substr(0, fileName.size() - ExtensionOf(fileName).size());
}

bool NameSaysFormat(const std::string& path, AudioFormat format) {
  std::string extension = ExtensionOf(path);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return format != AudioFormat::kOther && extension == ExtensionOf(format);
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
  std::string name = FileNameOf(path);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string StemOf(const std::string& path) { return WithoutLastExtension(FileNameOf(path)); }

std::optional<std::string> FirstFreeName(const OutputCandidate& candidate,
                                         const FileExistsFn& exists) {
  if (!exists(candidate.plain)) return candidate.plain;
  for (int k = 1; k <= kMaxNameNumber; ++k) {
    std::string numbered =
        candidate.numberedHead + "(" + std::to_string(k) + ")" + candidate.extension;
    if (!exists(numbered)) return numbered;
  }
  return std::nullopt;
}

OutputCandidate ConvertedCandidate(const std::string& folder, const std::string& source,
                                   const std::string& extension) {
  std::string name = FileNameOf(source);
  return {folder + WithoutLastExtension(name) + extension, folder + StemToFirstDot(name),
          extension};
}

OutputCandidate NormalizedCandidate(const std::string& folder, const std::string& source,
                                    AudioFormat sourceFormat) {
  std::string name = FileNameOf(source);
  std::string head = folder + kNormalizePrefix;
  if (!NameSaysFormat(name, sourceFormat))
    return ConvertedCandidate(head, name, kWavExtension);
  return {head + name, head + StemToFirstDot(name), ExtensionOf(name)};
}

std::optional<std::string> ConvertedOutputName(const std::string& folder, const std::string& source,
                                               const std::string& extension,
                                               const FileExistsFn& exists) {
  return FirstFreeName(ConvertedCandidate(folder, source, extension), exists);
}

AudioFormat NormalizedOutputFormat(const std::string& source, AudioFormat sourceFormat) {
  return NameSaysFormat(source, sourceFormat) ? sourceFormat : AudioFormat::kWav;
}

std::optional<std::string> NormalizedOutputName(const std::string& folder,
                                                const std::string& source,
                                                AudioFormat sourceFormat,
                                                const FileExistsFn& exists) {
  return FirstFreeName(NormalizedCandidate(folder, source, sourceFormat), exists);
}
