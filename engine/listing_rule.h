// What the folder walk does with one entry of a folder's listing, decided from the listing alone: its
// attributes and, for a reparse point, its tag (WIN32_FIND_DATAW::dwReserved0).
//
// Only name surrogates are links: symbolic links, junctions and mount points name another place, and a
// walk that followed them could leave its root or loop. Every other reparse point is content that lives
// here: cloud-file placeholders (OneDrive Files On-Demand and other sync clients), deduplicated and
// compressed files and folders. Windows shows those to ordinary programs with the reparse-point attribute,
// and on many machines Desktop, Documents and Pictures are such folders, so they are entered.
#pragma once

#include <cstdint>

// Values of the system's headers, kept here so that the rule needs none of them.
inline constexpr uint32_t kAttributeDirectory = 0x10;         // FILE_ATTRIBUTE_DIRECTORY
inline constexpr uint32_t kAttributeReparsePoint = 0x400;     // FILE_ATTRIBUTE_REPARSE_POINT
inline constexpr uint32_t kTagNameSurrogateBit = 0x20000000;  // IsReparseTagNameSurrogate

enum class ListedAs {
  Folder,      // entered
  FolderLink,  // listed, never entered
  File,        // handed to the library
  FileLink,    // passed over: a link is not the file, which is offered where it lies if the scan gets there
};

ListedAs classifyListed(uint32_t attributes, uint32_t reparseTag);

// True for a link: a reparse point whose tag is a name surrogate (or Wine's tag 0), whether the listing or
// a handle opened on the link itself shows it.
bool isLink(uint32_t attributes, uint32_t reparseTag);
