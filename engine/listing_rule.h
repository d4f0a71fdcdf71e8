// What the folder walk does with one entry of a folder's listing, decided from the listing alone: its
// attributes and, for a reparse point, its tag (WIN32_FIND_DATAW::dwReserved0).
//
// Only name surrogates are links: symbolic links, junctions and mount points name another place, and a
// walk that followed them could leave its root or loop. Every other reparse-point folder is content that
// lives here: cloud-file placeholders (OneDrive Files On-Demand and other sync clients), deduplicated and
// compressed folders. The process shows placeholders as they are (process_modes.h), and on many machines
// Desktop, Documents and Pictures are such folders, so they are entered.
//
// A file is handed to the library only when its data can be read here and now:
// - a file with a recall or offline attribute has its data elsewhere (a cloud-only file, one moved to
//   offline storage): reading it starts a download that can fill the disk, or, for the system account,
//   which no sync client serves, fails (ERROR_CLOUD_FILE_ACCESS_DENIED and its kin). It is passed over and
//   counted, so that the run can say so;
// - a reparse-point file is handed over only when its tag keeps the data readable (a cloud placeholder
//   whose data is local, a deduplicated or a compressed file); app execution aliases
//   (%LOCALAPPDATA%\Microsoft\WindowsApps\*.exe) and other tags hold no data of their own, and opening
//   them fails (ERROR_CANT_ACCESS_FILE), so they are passed over.
#pragma once

#include <cstdint>

// Values of the system's headers, kept here so that the rule needs none of them.
inline constexpr uint32_t kAttributeDirectory = 0x10;               // FILE_ATTRIBUTE_DIRECTORY
inline constexpr uint32_t kAttributeReparsePoint = 0x400;           // FILE_ATTRIBUTE_REPARSE_POINT
inline constexpr uint32_t kAttributeOffline = 0x1000;               // FILE_ATTRIBUTE_OFFLINE
inline constexpr uint32_t kAttributeRecallOnOpen = 0x40000;         // FILE_ATTRIBUTE_RECALL_ON_OPEN
inline constexpr uint32_t kAttributeRecallOnDataAccess = 0x400000;  // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
inline constexpr uint32_t kTagNameSurrogateBit = 0x20000000;        // IsReparseTagNameSurrogate
inline constexpr uint32_t kTagCloud = 0x9000001A;                   // IO_REPARSE_TAG_CLOUD
inline constexpr uint32_t kTagCloudMask = 0x0000F000;               // IO_REPARSE_TAG_CLOUD_1 to _F
inline constexpr uint32_t kTagDedup = 0x80000013;                   // IO_REPARSE_TAG_DEDUP
inline constexpr uint32_t kTagWof = 0x80000017;                     // IO_REPARSE_TAG_WOF
inline constexpr uint32_t kTagAppExecutionAlias = 0x8000001B;       // IO_REPARSE_TAG_APPEXECLINK

enum class ListedAs {
  Folder,      // entered
  FolderLink,  // listed, never entered
  File,        // handed to the library
  FileLink,    // passed over: a link is not the file, which is offered where it lies if the scan gets there
  NotHere,     // a file whose data is not on this computer: passed over, and counted
  NoData,      // a reparse-point file that holds no data of its own: passed over
};

ListedAs classifyListed(uint32_t attributes, uint32_t reparseTag);

// True for a link: a reparse point whose tag is a name surrogate (or Wine's tag 0), whether the listing or
// a handle opened on the link itself shows it.
bool isLink(uint32_t attributes, uint32_t reparseTag);
