// Makes DemoVault files for demonstrations and tests: encrypts every file inside one folder (its
// subfolders included, links never followed) and lays out a folder with one clean/encrypted pair.
//   demo_encrypt <folder-to-encrypt> <pairs-folder> [key as 32 hex digits]
// It acts only inside the two folders it is given and refuses a drive root.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "demo_cipher.h"
#include "file_io.h"

namespace fs = std::filesystem;

namespace {

bool parseKey(const std::wstring& hex, demo::Key& key) {
  if (hex.size() != 32) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    const std::wstring pair = hex.substr(2 * i, 2);
    wchar_t* end = nullptr;
    const unsigned long value = wcstoul(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return false;
    key[i] = static_cast<uint8_t>(value);
  }
  return demo::isValidKey(key);
}

demo::Key randomKey() {
  std::random_device device;
  demo::Key key{};
  while (!demo::isValidKey(key)) {
    for (uint8_t& b : key) b = static_cast<uint8_t>(device());
  }
  return key;
}

bool isLink(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool isDriveRoot(const fs::path& folder) {
  const fs::path absolute = fs::absolute(folder).lexically_normal();
  return absolute.relative_path().empty();
}

// The clean files under the folder, without following links to other places.
std::vector<fs::path> cleanFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::vector<fs::path> pending{folder};
  while (!pending.empty()) {
    const fs::path current = pending.back();
    pending.pop_back();
    std::error_code error;
    for (fs::directory_iterator it(current, error), end; !error && it != end; it.increment(error)) {
      if (isLink(it->path())) continue;
      std::error_code statusError;
      if (it->is_directory(statusError)) {
        pending.push_back(it->path());
      } else if (it->is_regular_file(statusError) && it->path().extension() != demo::kExtension) {
        files.push_back(it->path());
      }
    }
  }
  return files;
}

bool writeEncrypted(const demo::Key& key, const fs::path& clean) {
  demo::Bytes content;
  if (demo::readWholeFile(clean.native(), content) != 0) return false;
  const std::wstring target = clean.native() + std::wstring(demo::kExtension.begin(), demo::kExtension.end());
  return demo::writeWholeFile(target, demo::encrypt(key, content)) == 0;
}

demo::Bytes sampleText() {
  std::string text;
  for (int line = 1; line <= 20; ++line) {
    text += "Sample line " + std::to_string(line) + " of the DemoVault clean file used to recover the key.\r\n";
  }
  return demo::Bytes(text.begin(), text.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) {
    std::fputs("usage: demo_encrypt <folder-to-encrypt> <pairs-folder> [key as 32 hex digits]\n", stderr);
    return 2;
  }
  const fs::path folder = argv[1];
  const fs::path pairs = argv[2];
  demo::Key key{};
  if (argc == 4 && !parseKey(argv[3], key)) {
    std::fputs("The key must be 32 hex digits, not all zero.\n", stderr);
    return 2;
  }
  if (argc == 3) key = randomKey();

  std::error_code error;
  if (!fs::is_directory(folder, error) || isDriveRoot(folder) || isDriveRoot(pairs)) {
    std::fputs("The folder to encrypt must be an existing folder, and neither folder a drive root.\n", stderr);
    return 2;
  }

  int encrypted = 0, failed = 0;
  for (const fs::path& file : cleanFiles(folder)) {
    if (writeEncrypted(key, file) && fs::remove(file, error)) {
      ++encrypted;
    } else {
      ++failed;
    }
  }

  fs::create_directories(pairs, error);
  const fs::path sample = pairs / L"sample.txt";
  const bool pairWritten = demo::writeWholeFile(sample.native(), sampleText()) == 0 && writeEncrypted(key, sample);

  std::printf("key ");
  for (uint8_t b : key) std::printf("%02x", b);
  std::printf("\nencrypted %d files, %d failed; pair %s\n", encrypted, failed, pairWritten ? "written" : "NOT written");
  return failed == 0 && pairWritten ? 0 : 1;
}
