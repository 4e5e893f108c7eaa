// `utility encoding`: placeholder until the conversions land.
#include "Command.h"
#include "Groups.h"

namespace cli {

Group EncodingGroup() { return {"encoding", "conversions between 8-bit text and UTF-16", {}, nullptr}; }

}  // namespace cli
