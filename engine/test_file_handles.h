// For tests: files opened by handle as Windows answers. A handle reaches the file at the path as opened
// (the link itself for a link); its final path is the path with the first matching redirection applied,
// which stands for whatever the system resolves on the way: a subst letter or a mapped drive, a short name,
// letter case, a junction. A file marked for deletion goes when its handle closes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_handles.h"
#include "engine/long_path.h"

class TestFiles : public FileHandles {
 public:
  struct File {
    HandleFacts facts{0x20, 0, 1};  // FILE_ATTRIBUTE_ARCHIVE, one name
    std::string content;
  };
  std::map<std::wstring, File> files;  // by the path as opened
  // Prefix (matched in any letter case, up to a separator) -> its final path ("\\?\D:\real"). First match wins.
  std::vector<std::pair<std::wstring, std::wstring>> redirects;
  std::map<std::wstring, uint32_t> openErrors;    // by path: opening fails with this error
  std::map<std::wstring, uint32_t> folderErrors;  // by folder: its final path cannot be read
  std::vector<std::wstring> removed;              // paths whose marked handle closed, in order
  bool extendedDisposition = true;                // the system knows FileDispositionInfoEx (Windows 10 1809 on, NTFS)
  static constexpr uint32_t kReadOnlyAttribute = 0x1;
  std::vector<std::wstring> created;
  std::wstring workingDirectory = L"C:\\work";  // what a relative path is resolved against, at each call

  // A relative path as the system resolves it now.
  std::wstring resolved(const std::wstring& path) const {
    if (path.empty() || isFullyQualified(path) || hasLongPathPrefix(path)) return path;
    return workingDirectory + L"\\" + path;
  }

  std::wstring finalOf(std::wstring path) const {
    path = resolved(path);
    if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    for (const auto& [from, to] : redirects) {
      if (path.size() < from.size() || !sameLetters(path.substr(0, from.size()), from)) continue;
      if (path.size() > from.size() && path[from.size()] != L'\\' && from.back() != L'\\') continue;
      return to + path.substr(from.size());
    }
    return longPathForm(path);
  }

  std::unique_ptr<HeldFile> open(const std::wstring& given, OpenFor use, uint32_t& error) override {
    const std::wstring path = resolved(given);
    if (const auto refused = openErrors.find(path); refused != openErrors.end()) {
      error = refused->second;
      return nullptr;
    }
    const bool exists = files.count(path) > 0;
    if (use == OpenFor::Creating) {
      if (exists) {
        error = kErrorFileExists;
        return nullptr;
      }
      files[path] = File{};
      created.push_back(path);
    } else if (!exists) {
      error = 2;  // ERROR_FILE_NOT_FOUND
      return nullptr;
    }
    return std::make_unique<Handle>(*this, path);
  }

  std::wstring finalPathOfFolder(const std::wstring& folder, uint32_t& error) override {
    if (const auto refused = folderErrors.find(folder); refused != folderErrors.end()) {
      error = refused->second;
      return {};
    }
    std::wstring final = finalOf(folder);
    if (final.size() > 7 && final.back() == L'\\') final.pop_back();  // only a root keeps its separator
    return final;
  }

 private:
  static bool sameLetters(const std::wstring& a, const std::wstring& b) {
    const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
      if (fold(a[i]) != fold(b[i])) return false;
    return a.size() == b.size();
  }

  class Handle : public HeldFile {
   public:
    Handle(TestFiles& files, std::wstring path) : files_(files), path_(std::move(path)) {}
    ~Handle() override {
      if (!marked_) return;
      files_.files.erase(path_);
      files_.removed.push_back(path_);
    }
    bool facts(HandleFacts& facts, uint32_t&) override {
      facts = files_.files.at(path_).facts;
      return true;
    }
    std::wstring finalPath(uint32_t&) override { return files_.finalOf(path_); }
    // As Windows answers: the plain disposition is refused on a read-only file (ERROR_ACCESS_DENIED); the
    // extended one, which ignores that attribute, only where the system knows it.
    bool markForDeletion(uint32_t& error) override {
      if (files_.files.at(path_).facts.attributes & kReadOnlyAttribute) {
        error = 5;
        return false;
      }
      marked_ = true;
      return true;
    }
    bool markForDeletionIgnoringReadOnly(uint32_t& error) override {
      if (!files_.extendedDisposition) {
        error = 87;  // ERROR_INVALID_PARAMETER: before Windows 10 version 1809, on FAT, on many shares
        return false;
      }
      marked_ = true;
      return true;
    }
    bool attributes(uint32_t& attributes, uint32_t&) override {
      attributes = files_.files.at(path_).facts.attributes;
      return true;
    }
    bool setAttributes(uint32_t attributes, uint32_t&) override {
      files_.files.at(path_).facts.attributes = attributes == 0x80 ? 0 : attributes;  // NORMAL: none at all
      return true;
    }
    bool append(std::string_view bytes, uint32_t&) override {
      files_.files.at(path_).content += bytes;
      return true;
    }

   private:
    TestFiles& files_;
    std::wstring path_;
    bool marked_ = false;
  };
};
