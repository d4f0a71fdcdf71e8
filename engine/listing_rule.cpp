#include "engine/listing_rule.h"

namespace {

// Wine reports a Unix symbolic link to a folder as a reparse point whose tag it leaves at 0 (Wine 8), and
// shows links to files as the files they point to. Tag 0 is reserved and never a real tag on Windows, so it
// is taken for a link: the safe side, as a link followed could lead anywhere.
bool isLinkTag(uint32_t reparseTag) { return reparseTag == 0 || (reparseTag & kTagNameSurrogateBit) != 0; }

// The tags of files whose data is read through the tag's filter as from any file.
bool keepsDataReadable(uint32_t reparseTag) {
  return (reparseTag & ~kTagCloudMask) == kTagCloud || reparseTag == kTagDedup || reparseTag == kTagWof;
}

constexpr uint32_t kDataElsewhere = kAttributeOffline | kAttributeRecallOnOpen | kAttributeRecallOnDataAccess;

}  // namespace

bool isLink(uint32_t attributes, uint32_t reparseTag) {
  return (attributes & kAttributeReparsePoint) != 0 && isLinkTag(reparseTag);
}

ListedAs classifyListed(uint32_t attributes, uint32_t reparseTag) {
  const bool reparse = (attributes & kAttributeReparsePoint) != 0;
  const bool link = isLink(attributes, reparseTag);
  if (attributes & kAttributeDirectory) return link ? ListedAs::FolderLink : ListedAs::Folder;
  if (link) return ListedAs::FileLink;
  if (attributes & kDataElsewhere) return ListedAs::NotHere;
  if (reparse && !keepsDataReadable(reparseTag)) return ListedAs::NoData;
  return ListedAs::File;
}
