// Copying a range of bytes between files: in the kernel on one file system, through a buffer
// across two, and never reported whole when the source ends first.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "support/TestSupport.h"

namespace {

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  return bytes;
}

FileDescriptor FileWith(const std::string& path, const std::vector<uint8_t>& bytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  EXPECT_TRUE(fd.valid() && WriteAt(fd.get(), bytes.data(), bytes.size(), 0)) << path;
  return fd;
}

std::vector<uint8_t> Contents(int fd, size_t size) {
  std::vector<uint8_t> bytes(size);
  bytes.resize(ReadAt(fd, bytes.data(), bytes.size(), 0));
  return bytes;
}

TEST(CopyBetween, CopiesARangeOnOneFileSystemAndAcrossTwoAndRefusesAShortSource) {
  testsupport::TempDir here;
  std::vector<std::string> destinations = {here.path()};
  if (::access("/dev/shm", W_OK) == 0) destinations.push_back("/dev/shm");
  const std::vector<uint8_t> source = Pattern(300000, 1), before = Pattern(4096, 2);
  const FileDescriptor from = FileWith(here.file("source"), source);
  for (const std::string& folder : destinations) {
    const std::string path = folder + "/velmora-copy-" + std::to_string(::getpid());
    const FileDescriptor to = FileWith(path, before);
    ASSERT_TRUE(CopyBetween(from.get(), 1000, to.get(), 7, 250000)) << folder;
    std::vector<uint8_t> expected(before.begin(), before.begin() + 7);
    expected.insert(expected.end(), source.begin() + 1000, source.begin() + 251000);
    EXPECT_EQ(Contents(to.get(), 400000), expected) << folder;
    EXPECT_FALSE(CopyBetween(from.get(), 299000, to.get(), 0, 5000)) << folder << ": the source ends first";
    ::unlink(path.c_str());
  }
}

}  // namespace
