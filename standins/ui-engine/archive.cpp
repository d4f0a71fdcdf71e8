#include "standins/ui-engine/archive.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

namespace standin {
namespace {

struct OpenArchive {
  uiarchive::ArchiveView view;
  std::mutex lock;
  std::map<std::u16string, std::vector<uint8_t>> unpacked;  // kept while the archive is open
};

}  // namespace

void* open_archive(const uint8_t* data, uint32_t length) {
  if (!data) return nullptr;
  std::optional<uiarchive::ArchiveView> view = uiarchive::open_archive({data, length});
  if (!view) return nullptr;
  auto* archive = new OpenArchive();
  archive->view = *view;
  return archive;
}

bool archive_item(void* handle, const wchar_t* path, const uint8_t** data, uint32_t* length) {
  if (data) *data = nullptr;
  if (length) *length = 0;
  auto* archive = static_cast<OpenArchive*>(handle);
  if (!archive || !path) return false;
  const std::u16string key(reinterpret_cast<const char16_t*>(path));
  std::lock_guard guard(archive->lock);
  auto it = archive->unpacked.find(key);
  if (it == archive->unpacked.end()) {
    const std::optional<uiarchive::StoredItem> item = uiarchive::lookup(archive->view, key);
    if (!item) return false;
    std::optional<std::vector<uint8_t>> content = uiarchive::item_content(*item);
    if (!content) return false;
    it = archive->unpacked.emplace(key, std::move(*content)).first;
  }
  if (data) *data = it->second.data();
  if (length) *length = static_cast<uint32_t>(it->second.size());
  return true;
}

bool close_archive(void* handle) {
  delete static_cast<OpenArchive*>(handle);
  return handle != nullptr;
}

}  // namespace standin
