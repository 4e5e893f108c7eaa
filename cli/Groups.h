// The command groups of the host program; each is defined in commands/<Group>.cpp.
#pragma once

#include "Command.h"

namespace utility::cli {

Group ModuleGroup();
Group EncodingGroup();
Group VariantGroup();
Group BitsGroup();
Group NamesGroup();
Group FilesGroup();
Group TrackLogGroup();
Group SystemGroup();
Group IdentityGroup();
Group RegistryGroup();

}  // namespace utility::cli
