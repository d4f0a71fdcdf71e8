// For tests: one file's handle as Windows answers for it when it is removed, on a system with or without the
// extended disposition that ignores the read-only attribute.
#pragma once

#include <string>
#include <vector>

#include "engine/read_only_removal.h"

// One file's handle as Windows answers for it, on a system with or without the extended disposition.
struct WindowsDeletableFile : DeletableFile {
  bool systemKnowsIgnoreReadOnly = true;  // Windows 10 1809 on, NTFS
  uint32_t fileAttributes = 0x20;         // FILE_ATTRIBUTE_ARCHIVE
  uint32_t refusal = 0;                   // what the plain disposition answers besides the read-only refusal
  bool marked = false;
  std::vector<std::string> calls;

  bool markForDeletionIgnoringReadOnly(uint32_t& error) override {
    calls.push_back("ex");
    if (!systemKnowsIgnoreReadOnly) return fail(error, 87);  // ERROR_INVALID_PARAMETER
    if (refusal) return fail(error, refusal);
    return marked = true;
  }
  bool markForDeletion(uint32_t& error) override {
    calls.push_back("plain");
    if (fileAttributes & 0x1) return fail(error, 5);  // STATUS_CANNOT_DELETE answers ERROR_ACCESS_DENIED
    if (refusal) return fail(error, refusal);
    return marked = true;
  }
  bool attributes(uint32_t& attributes, uint32_t&) override {
    attributes = fileAttributes;
    return true;
  }
  bool setAttributes(uint32_t attributes, uint32_t&) override {
    calls.push_back("attributes " + std::to_string(attributes));
    fileAttributes = attributes;
    return true;
  }

 private:
  static bool fail(uint32_t& error, uint32_t code) {
    error = code;
    return false;
  }
};
