// For tests: a folder's listing as the test gives it, the names in order and then the error that ends it
// (kErrorNoMoreFiles for a listing that runs to its end).
#pragma once

#include <utility>
#include <vector>

#include "engine/folder_system.h"

class TestListing : public FolderListing {
 public:
  explicit TestListing(std::vector<ListedName> names, uint32_t endError = kErrorNoMoreFiles)
      : names_(std::move(names)), endError_(endError) {}

  bool next(ListedName& listed, uint32_t& error) override {
    if (next_ == names_.size()) {
      error = endError_;
      return false;
    }
    listed = names_[next_++];
    return true;
  }

 private:
  std::vector<ListedName> names_;
  size_t next_ = 0;
  uint32_t endError_;
};
