#include "ogg/comment_writer.h"

namespace parvex {

bool SaveTags(const TOggVorbis&, const std::string&) { return false; }

}  // namespace parvex
